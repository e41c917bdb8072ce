#pragma once

#include "core/result.h"
#include "rtf/grammar/rtftokenizer.h"
#include "rtf/reader/codepages.h"
#include "rtf/reader/fields.h"
#include "rtf/reader/fontsandcolors.h"
#include "rtf/reader/formats.h"
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
    void placeOutput()
    {
        if (const int depth = top().para.tableDepth(); m_tables.needsPlacing(depth))
            m_tables.place(depth);
    }
    void endPicture();

    GroupState& top() { return m_stack.last(); }

    QTextDocument* m_document;
    std::function<bool(qint64)> m_progress;
    QList<GroupState> m_stack;
    int m_skipDepth = 0;       // nested groups inside a skipped one
    bool m_groupStart = false; // the next word is the first in its group
    bool m_starred = false;    // \* seen: the next word may name an unknown destination
    int m_skipChars = 0;       // fallback characters after \uN still to drop
    bool m_finished = false;   // the outermost group closed

    reader::CodePages m_codePages;
    reader::FontTable m_fonts{m_codePages};
    reader::ColorTable m_colors;
    reader::ListTables m_lists{m_codePages};
    reader::Fields m_fields;
    reader::TextOutput m_output;
    reader::Tables m_tables{m_output, m_colors};
    reader::Pictures m_pictures;
    reader::StyleSheet m_styles;
};

} // namespace velko::rtf
