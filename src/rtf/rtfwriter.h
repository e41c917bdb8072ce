#pragma once

#include "rtf/listnumbers.h"

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QTextBlock>
#include <QVariantHash>

#include <vector>

class QTextCharFormat;
class QTextDocument;
class QTextFragment;
class QTextFrame;
class QTextImageFormat;
class QTextList;
class QTextTable;

namespace velko::rtf {

// Turns a QTextDocument (or a range of it) into RTF. Two passes: the first
// collects the font, colour and list tables, the second writes the body and
// emits only the character and paragraph properties that changed.
class RtfWriter
{
public:
    explicit RtfWriter(const QTextDocument& document);

    QByteArray write(int from, int to);

private:
    // Character properties as RTF sees them, resolved against the document defaults.
    struct CharState
    {
        int font = 0;
        int halfPoints = 24;
        bool bold = false;
        bool italic = false;
        int underline = 0; // an index of kUnderlineKinds, 0: none
        bool strike = false;
        int foreground = 0; // colour table index, 0 = automatic
        int background = 0;
        int verticalAlignment = 0; // 0 normal, 1 superscript, 2 subscript

        friend bool operator==(const CharState&, const CharState&) = default;
    };

    struct FormatInfo
    {
        CharState state;
        QString href;  // empty: not a link
        QString field; // the instruction of another field the text is the result of
        int fieldNumber = 0;
        bool image = false;
        bool note = false; // a footnote's mark or automatic number
        int index = -1;    // the document's format index
    };

    // A note of the notes area: its paragraphs and tables, in order.
    struct NoteItem
    {
        QTextBlock block;
        const QTextTable* table = nullptr; // set: the item is this table
    };
    struct Note
    {
        bool endnote = false;
        QList<NoteItem> items;
    };
    static constexpr int kMaxFormatSlots = 4096; // a power of two

    void collectTables(int from, int to);
    // A block's heading level and list, for the style sheet and the list table.
    void collectBlock(const QTextBlock& block);
    const FormatInfo& infoFor(const QTextFragment& fragment);
    int fontIndex(const QString& family);
    int colorIndex(const QColor& color);
    CharState stateFor(const QTextCharFormat& format);

    void writeHeader(QByteArray& out) const;
    void writeListTables(QByteArray& out) const;
    // `depth`: how deep in tables the block stands, 0 outside.
    void writeBlock(const QTextBlock& block, int from, int to, int depth = 0);
    void writeStyleSheet(QByteArray& out) const;
    // Tables (rtfwriter_tables.cpp): a frame's blocks and tables in order;
    // a table whole in the range as RTF rows, one that is not as its paragraphs.
    void writeFrame(const QTextFrame& frame, int from, int to, int depth);
    void writeTable(const QTextTable& table, int from, int to, int depth);
    QByteArray rowDefinition(const QTextTable& table, int row);
    // Pictures (rtfwriter_pictures.cpp).
    void writePicture(const QTextImageFormat& format);
    // What the view cannot show (rtfwriter_kept.cpp): kept RTF with this
    // writer's font and colour numbers, section breaks, the notes area.
    void writeKept(const QTextImageFormat& format);
    QByteArray keptRtf(QByteArrayView rtf);
    int keptFontIndex(const QString& family, int charset);
    const QByteArray& paragraphEnd(const QTextBlock& block);
    static bool isNotesArea(const QTextFrame& frame);
    void collectNotes();
    void writeNoteText(const QTextCharFormat& format, QStringView text);
    void writeNote(const Note& note);
    void writeUnmarkedNotes();
    QByteArray paragraphProperties(const QTextBlock& block) const;
    void writeCharState(const CharState& state);
    // A hyperlink's or another field's result begins; closeLink() ends it.
    void openLink(const FormatInfo& info);
    bool inOtherLink(const FormatInfo& info) const;
    void closeLink();
    void writeControl(const char* word);
    void writeControl(const char* word, int parameter);
    void writeText(QStringView text);
    static void appendEscaped(QByteArray& out, QStringView text);

    const QTextDocument& m_document;
    QString m_defaultFamily;
    int m_defaultHalfPoints = 24;
    qreal m_indentWidth = 40;

    QStringList m_fonts;
    QHash<QString, int> m_fontIndex;
    QList<bool> m_symbolFonts;      // by font index: readers take it for the Symbol font
    QHash<int, int> m_fontCharsets; // by font index, where not 0
    QList<QColor> m_colors;         // index 0 is the automatic colour
    QHash<QRgb, int> m_colorIndex;
    QList<const QTextList*> m_lists;
    ListItemIndexes m_items;
    QHash<const QTextList*, int> m_listIndex;

    std::vector<FormatInfo> m_formats;   // slots by the document's format index
    QHash<int, QByteArray> m_paragraphs; // paragraph properties by block format index
    int m_headingLevels = 0;             // bit n: heading level n is used

    bool m_whole = false;     // the range is the whole document
    bool m_textFirst = false; // the text's fonts and colours are listed before the rest
    bool m_wroteKept = false; // kept RTF was written
    QByteArray m_out;
    bool m_needDelimiter = false; // a control word was written and text follows
    CharState m_state;
    CharState m_stateBeforeLink;
    bool m_inLink = false;
    QString m_linkHref;
    QString m_linkField;
    int m_linkFieldNumber = 0;
    QByteArray m_lastParagraph;

    QHash<int, QByteArray> m_paragraphEnds; // by block format index; empty: \par
    QVariantHash m_keptReferences;
    bool m_keptReferencesRead = false;
    QHash<int, Note> m_notes; // by id
    QList<int> m_noteIds;     // in the notes area's order
    QSet<int> m_notesWritten;
    int m_footnoteCount = 0;
    int m_endnoteCount = 0;
    QString m_noteLabel; // the note being written: its automatic number
};

} // namespace velko::rtf
