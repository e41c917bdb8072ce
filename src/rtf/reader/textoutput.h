#pragma once

#include "rtf/reader/formats.h"

#include <QByteArray>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

#include <vector>

class QTextDocument;

namespace velko::rtf::reader {

class CodePages;
class ColorTable;
class Fields;
class FontTable;
class ListTables;

// Puts the text the reader finds into the document. Bytes wait until the
// character state or the code page changes, so a multi-byte character
// decodes whole; text of one character state goes in with one insert and a
// format made once, across the ends of paragraphs of one paragraph state
// outside lists (as paragraph separators in the text); paragraphs take their
// block format and list as they end.
class TextOutput
{
public:
    TextOutput(QTextDocument* document, CodePages& codePages, const FontTable& fonts,
               const ColorTable& colors, ListTables& lists, const Fields& fields);

    // The output goes into one edit block, from the start of the document;
    // `bytes` of RTF are to come (they size the cache of formats).
    void begin(qsizetype bytes);
    void end();

    // Bytes of text in the code page of the state's font.
    void bytes(const CharState& state, QByteArrayView bytes);
    void character(const CharState& state, char16_t c);
    // \cell: a tab before the next text of the row.
    void cell() { ++m_pendingCells; }
    // Bytes held back do not span groups.
    void flushBytes();
    // Text held back goes in, so the parts that build structure (tables,
    // pictures) can use the cursor.
    void flushText();
    // The font table is about to change: text so far keeps the fonts it was
    // read in, and formats are made anew with the new table.
    void fontsChanging();
    // The cursor after all text so far went in. What moves it or inserts at
    // it leaves the character before it unknown here.
    QTextCursor& cursor()
    {
        flushText();
        m_lastKnown = false;
        m_blockOpenedHere = false;
        return m_cursor;
    }
    void endParagraph(const ParaState& para);
    // A table cell's last paragraph ends: it takes its format, and no block follows.
    void endCell(const ParaState& para);
    // A table goes where the cursor stands: the empty block a \par just opened
    // is given up, so the table follows the paragraph before it.
    void takeEmptyParagraph();
    // The document ends: the last paragraph takes its format, and a \par that
    // ended it opens no empty one.
    void finish(const ParaState& para);

private:
    void prepareForText(const CharState& state);
    const QTextCharFormat& formatFor(const CharState& state);
    void applyParagraph(const ParaState& para);

    QTextDocument* m_document;
    CodePages& m_codePages;
    const FontTable& m_fonts;
    const ColorTable& m_colors;
    ListTables& m_lists;
    const Fields& m_fields;
    QTextCursor m_cursor;

    QByteArray m_pendingBytes;
    int m_pendingCodePage = 0;
    bool m_pendingPrintable = true; // only ASCII letters, digits, punctuation and tabs
    QString m_buffer;
    CharState m_bufferState;
    bool m_bufferStateValid = false;
    // Paragraph separators in the buffer: the paragraphs they end share
    // m_bufferPara, given to the block the buffer's text starts in; the
    // blocks they open take that block's format as Qt inserts them.
    int m_bufferBlocks = 0;
    ParaState m_bufferPara;
    // The character state of the character before the cursor, when known:
    // the character format a paragraph separator there takes.
    CharState m_lastState;
    bool m_lastKnown = false;
    // The cursor's block was opened here, plain, and has only the format
    // applyParagraph() gave it since.
    bool m_blockOpenedHere = false;
    int m_pendingCells = 0;
    bool m_paragraphEnded = false; // \par seen and nothing after it yet

    // Character formats made, by the hash of their state: a slot keeps the
    // last one made for it, valid while its generation is the current one.
    struct CachedFormat
    {
        CharState state;
        QTextCharFormat format;
        quint32 generation = 0;
    };
    std::vector<CachedFormat> m_formats; // a power of two of them, made with the first
    size_t m_formatSlots = 64;
    quint32 m_formatGeneration = 1;
    ParaState m_blockState;
    QTextBlockFormat m_blockFormat;
    bool m_blockInList = false;
    bool m_blockFormatValid = false;
    bool m_blockIsPlain = true; // the current block still has the empty format
};

} // namespace velko::rtf::reader
