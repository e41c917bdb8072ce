#pragma once

#include "core/result.h"
#include "rtf/grammar/rtftokenizer.h"
#include "rtf/reader/codepages.h"
#include "rtf/reader/fields.h"
#include "rtf/reader/fontsandcolors.h"
#include "rtf/reader/formats.h"
#include "rtf/reader/kept.h"
#include "rtf/reader/lists.h"
#include "rtf/reader/pictures.h"
#include "rtf/reader/styles.h"
#include "rtf/reader/tables.h"
#include "rtf/reader/textoutput.h"

#include <QList>

#include <functional>

class QTextDocument;

namespace velko::rtf {

// Builds a QTextDocument from RTF tokens. Keeps a format state per group on an
// explicit stack, so nesting never uses the call stack. The reader follows
// groups and destinations; the tables a document carries (fonts, colours,
// lists), its fields, its formats and the text output are parts of their own,
// in rtf/reader/.
class RtfReader
{
public:
    explicit RtfReader(QTextDocument* document);
    ~RtfReader();

    // Checks the data first (RTF signature, group depth, by the RTF grammar's
    // rules); only then clears the document and builds into it, so an error
    // leaves the document as it was, but for a read called off.
    Status read(QByteArrayView data);
    // Reads the text of a note kept while reading a document: `number` is
    // the note's automatic number.
    Status readNote(QByteArrayView data, int number, bool endnote);
    const reader::Kept& kept() const { return m_kept; }
    static Status check(QByteArrayView data);
    // Told how far the read came, now and then; false calls it off.
    void setProgress(std::function<bool(qint64)> progress) { m_progress = std::move(progress); }

private:
    enum class Destination : quint8 {
        Text,
        Skip,
        FontTable,
        ColorTable,
        FieldInstruction,
        ListTable,
        ListLevelText,
        ListOverrideTable,
        UnicodeAlternatives, // \upr: skip the ANSI group, keep the \*\ud one
        UnicodeGroup,        // a child of \upr until its first word
        LegacyList,          // \pn: an old-style list description
        StyleSheet,
        StyleEntry, // a group of the style sheet
        Picture,
    };

    struct GroupState
    {
        reader::CharState chars;
        reader::ParaState para;
        Destination destination = Destination::Text;
        int unicodeSkip = 1;
        bool nestedTableProperties = false; // row words describe a nested table's row
        qsizetype start = 0;                // where the group's '{' is in the data
    };

    // False when called off.
    bool build(QByteArrayView data);

    void openGroup();
    void closeGroup();
    void controlWord(const RtfToken& token);
    bool destinationWord(const reader::WordEntry& entry, int value, bool mayStartDestination);
    void controlSymbol(char symbol);
    void text(QByteArrayView bytes);
    void hexByte(int byte);
    void unicodeChar(char16_t c);
    void appendChar(char16_t c);
    // Content goes where the paragraph stands: in a table's cell or after it.
    // Kept objects that are not shown go in first.
    void placeOutput()
    {
        if (const int depth = top().para.tableDepth(); m_tables.needsPlacing(depth))
            m_tables.place(depth);
        if (!m_unseen.isEmpty())
            insertUnseen();
    }
    void endPicture();

    GroupState& top() { return m_stack.last(); }
    const GroupState& top() const { return m_stack.last(); }

    // What the view cannot show (rtfreader_kept.cpp): groups and hidden text
    // taken as the RTF they came as.
    QByteArrayView raw() const { return m_data.sliced(m_tokenStart, m_tokenEnd - m_tokenStart); }
    bool hiddenText() const
    {
        return !m_stack.isEmpty() && top().chars.hidden && top().destination == Destination::Text;
    }
    bool capturing() const { return m_keptDepth > 0 || m_hiddenOpen || hiddenText(); }
    bool keepToken(const RtfToken& token);
    bool keptWord(const RtfToken& token, const reader::WordEntry* entry, bool first, bool starred);
    void keptTable();
    void keptFieldEnd();
    void endKept();
    void appendHidden(bool text, bool bareWord = false);
    void skipHidden();
    void flushHidden();
    void insertKept(const QByteArray& rtf, bool hidden);
    // A kept object not shown (a bookmark) waits for the content it stands
    // before, so it neither opens a paragraph nor moves a table's cell.
    void keepUnseen(const QByteArray& rtf);
    void unmarkFieldResult(int from, int to);
    void insertUnseen();
    QTextCharFormat currentFormat() const;
    void footnoteNumber();
    void pageBreak();
    void sectionBreak();

    QTextDocument* m_document;
    std::function<bool(qint64)> m_progress;
    QList<GroupState> m_stack;
    int m_skipDepth = 0;       // nested groups inside a skipped one
    bool m_groupStart = false; // the next word is the first in its group
    bool m_starred = false;    // \* seen: the next word may name an unknown destination
    int m_skipChars = 0;       // fallback characters after \uN still to drop
    bool m_finished = false;   // the outermost group closed

    QByteArrayView m_data;      // the document from its signature on
    qsizetype m_tokenStart = 0; // the bytes of the token being read
    qsizetype m_tokenEnd = 0;
    int m_keptDepth = 0; // groups open inside a kept group
    qsizetype m_keptStart = 0;
    reader::Kept::Kind m_keptKind = reader::Kept::Kind::None;
    QByteArray m_hidden;   // hidden text read so far, as RTF
    int m_hiddenDepth = 0; // groups open inside hidden text
    bool m_hiddenOpen = false;
    bool m_hiddenHasText = false;
    bool m_hiddenBareWord = false; // the last word kept has no delimiting space
    struct FieldStart
    {
        qsizetype depth; // of the \field group
        int characters;  // in the document when it began
        int blocks;      // in the document when it began
    };
    QList<FieldStart> m_fieldStarts;
    QList<QTextImageFormat> m_unseen; // see keepUnseen()

    reader::CodePages m_codePages;
    reader::FontTable m_fonts{m_codePages};
    reader::ColorTable m_colors;
    reader::ListTables m_lists{m_codePages};
    reader::Fields m_fields;
    reader::TextOutput m_output;
    reader::Tables m_tables{m_output, m_colors};
    reader::Pictures m_pictures;
    reader::StyleSheet m_styles;
    reader::Kept m_kept;
};

} // namespace velko::rtf
