#pragma once

#include "rtf/reader/codepages.h"
#include "rtf/reader/controlwords.h"
#include "rtf/reader/formats.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>

#include <array>

class QTextCursor;
class QTextList;

namespace velko::rtf::reader {

// The lists a document describes, and the QTextLists made for its paragraphs:
// a list table (\listtable) with its overrides (\listoverridetable), or
// old-style descriptions (\pn) inside the paragraphs themselves.
//
// Each level of a list in the text (\lsN) counts on its own, and starts
// again after an item of a level above it: each such run of items is a
// QTextList of its own, whose label carries the numbers of the levels above.
class ListTables
{
public:
    // Levels of a list.
    static constexpr int kLevels = 9;

    explicit ListTables(CodePages& codePages) : m_codePages(codePages) {}

    // \list, \listlevel, \levelnfcN, \levelstartatN and \listidN inside the list table.
    void listTableWord(Word word, int value);
    // \leveltext in the list table: whether a level takes the text that follows.
    bool beginLevelText();
    // A character of that level text.
    void levelTextCharacter(char16_t c);
    // \listoverride, \listidN, \lfolevel, \levelstartatN and \lsN inside the override table.
    void overrideTableWord(Word word, int value);

    // \pn: an old-style description begins; its words; the paragraph list
    // (as ParaState::legacyList) and level it gives.
    void beginLegacy();
    void legacyWord(const WordEntry& entry, int value);
    int legacyList() const { return m_legacyContinues ? kLegacyContinues : m_legacyFormat; }
    int legacyLevel() const { return m_legacyLevel; }

    // A paragraph with this state is placed: one outside old-style lists ends them.
    void paragraph(const ParaState& state);
    // Whether a paragraph with this state is a list item with a label: not
    // when it names no list, or a level that shows no label.
    bool isItem(const ParaState& state);
    // The list a paragraph with this state (an item) is the next item of,
    // made at `cursor` when new; nullptr past the bound on lists.
    QTextList* listFor(const ParaState& state, QTextCursor& cursor);

    struct Level
    {
        int numberFormat = 0;
        QString text;
        int start = 1;
    };

private:
    struct Definition
    {
        int id = 0;
        QList<Level> levels;
    };
    struct Override
    {
        int listId = 0;
        std::array<int, kLevels> starts{-1, -1, -1, -1, -1, -1, -1, -1, -1}; // -1: the list's
    };
    // A list as the text uses it: each level's current QTextList and number.
    // Qt deletes a list whose last paragraph takes another format: a level
    // whose list is gone makes a new one.
    struct Instance
    {
        std::array<QPointer<QTextList>, kLevels> lists{};
        std::array<int, kLevels> numbers{};
    };

    const Definition* definition(int list);
    // The level of a definition a paragraph names.
    static Level levelOf(const Definition& definition, int level);
    QTextList* item(const ParaState& state, const Definition& definition, QTextCursor& cursor);
    QTextList* legacyItem(const ParaState& state, QTextCursor& cursor);
    QString labelPart(QStringView part, const Definition& definition, const Instance& instance);
    QString label(const Level& level);
    QString levelTextPart(QStringView part);

    CodePages& m_codePages;
    QList<Definition> m_definitions;
    QHash<int, qsizetype> m_definitionIndex; // \listid -> definition, made when first needed
    qsizetype m_indexedDefinitions = -1;
    QHash<int, Override> m_overrides; // by \ls
    Override m_override;              // the override being read
    int m_overrideList = -1;          // its \ls, once read
    int m_overrideLevel = -1;         // its \lfolevel being read
    QHash<int, Instance> m_instances; // by \ls
    int m_legacyFormat = 0;           // of the \pn being read, as a \levelnfc value
    int m_legacyLevel = 0;
    int m_legacyStart = 1;
    bool m_legacyContinues = false; // \pnlvlcont
    int m_legacyRun = 0;            // counts interruptions of old-style lists
    QHash<quint64, QPointer<QTextList>> m_legacyLists;
    qsizetype m_made = 0; // QTextLists made
};

} // namespace velko::rtf::reader
