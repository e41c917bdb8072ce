#pragma once

#include "rtf/reader/codepages.h"
#include "rtf/reader/controlwords.h"
#include "rtf/reader/formats.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>

class QTextCursor;
class QTextList;

namespace velko::rtf::reader {

// The lists a document describes, and the QTextLists made for its paragraphs:
// a list table (\listtable) with its overrides (\listoverridetable), or
// old-style descriptions (\pn) inside the paragraphs themselves.
class ListTables
{
public:
    explicit ListTables(CodePages& codePages) : m_codePages(codePages) {}

    // \list, \listlevel, \levelnfcN and \listidN inside the list table.
    void listTableWord(Word word, int value);
    // \leveltext in the list table: whether a level takes the text that follows.
    bool beginLevelText();
    // A character of that level text.
    void levelTextCharacter(char16_t c);
    // \listoverride, \listidN and \lsN inside the override table.
    void overrideTableWord(Word word, int value);

    // \pn: an old-style description begins; its words; the paragraph list
    // (as ParaState::list) and level it gives.
    void beginLegacy();
    void legacyWord(const WordEntry& entry, int value);
    int legacyList() const { return kLegacyListBase + m_legacyFormat; }
    int legacyLevel() const { return m_legacyLevel; }

    // A paragraph with this state is placed: one outside old-style lists ends them.
    void paragraph(const ParaState& state);
    // The list a paragraph with this state belongs to, made at `cursor` when
    // new; nullptr past the bound on lists.
    QTextList* listFor(const ParaState& state, QTextCursor& cursor);

    struct Level
    {
        int numberFormat = 0;
        QString text;
    };

private:
    struct Definition
    {
        int id = 0;
        QList<Level> levels;
    };

    QString levelTextPart(QStringView part);

    CodePages& m_codePages;
    QList<Definition> m_definitions;
    QHash<int, int> m_overrides; // \ls -> \listid
    int m_overrideListId = 0;
    int m_legacyFormat = 0; // of the \pn being read, as a \levelnfc value
    int m_legacyLevel = 0;
    int m_legacyRun = 0; // counts interruptions of old-style lists
    // The lists made, by \ls and level; none for a level that shows no list.
    // A list whose last paragraph took another format is gone: made again.
    struct Made
    {
        QPointer<QTextList> list;
        bool none = false;
    };
    QHash<quint64, Made> m_lists;
};

} // namespace velko::rtf::reader
