#include "rtf/reader/textoutput.h"

#include "rtf/reader/codepages.h"
#include "rtf/reader/fields.h"
#include "rtf/reader/fontsandcolors.h"
#include "rtf/reader/lists.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>
#include <bit>

namespace velko::rtf::reader {

namespace {

// Character formats kept for reuse: a bound for documents of endless
// variety, and one format slot for so many bytes of RTF below it, so a small
// document does not pay for the slots of a large one.
constexpr size_t kMaxCachedFormats = 8192;
constexpr size_t kBytesPerCachedFormat = 64;
// Characters held back across paragraph ends before they go in.
constexpr qsizetype kMaxBatch = 1 << 16;

// A format's properties come in a list grown one at a time, with room to
// spare, and the document keeps that list for as long as it holds the
// format. Setting a property of a copy to the value it has gives the copy a
// list of its own at its size.
QTextCharFormat compacted(const QTextCharFormat& format)
{
    QTextCharFormat copy = format;
    if (format.hasProperty(QTextFormat::FontPointSize))
        copy.setProperty(QTextFormat::FontPointSize, format.property(QTextFormat::FontPointSize));
    return copy;
}

bool dropsOut(char16_t c)
{
    // Characters QTextCursor::insertText would turn into structure.
    return (c < 0x20 && c != u'\t') || c == u'\u2029' || c == 0xFDD0 || c == 0xFDD1 || c == 0xFFFC;
}

} // namespace

TextOutput::TextOutput(QTextDocument* document, CodePages& codePages, const FontTable& fonts,
                       const ColorTable& colors, ListTables& lists, const Fields& fields)
    : m_document(document), m_codePages(codePages), m_fonts(fonts), m_colors(colors),
      m_lists(lists), m_fields(fields)
{
}

void TextOutput::begin(qsizetype bytes)
{
    m_formatSlots = std::bit_ceil(
        std::clamp(size_t(bytes) / kBytesPerCachedFormat, size_t(64), kMaxCachedFormats));
    m_formats.clear();
    m_cursor = QTextCursor(m_document);
    m_cursor.beginEditBlock();
    m_lastKnown = false;
    m_blockOpenedHere = true; // the cleared document's one block
}

void TextOutput::end()
{
    m_cursor.endEditBlock();
}

void TextOutput::bytes(const CharState& state, QByteArrayView bytes)
{
    prepareForText(state);
    const int codePage = m_fonts.codePage(state.bytesFont());
    if (codePage != m_pendingCodePage) {
        flushBytes();
        m_pendingCodePage = codePage;
    }
    if (m_pendingPrintable) {
        for (const char c : bytes) {
            if (uchar(c) >= 0x80 || (uchar(c) < 0x20 && c != '\t')) {
                m_pendingPrintable = false;
                break;
            }
        }
    }
    m_pendingBytes.append(bytes.data(), bytes.size());
}

void TextOutput::character(const CharState& state, char16_t c)
{
    if (dropsOut(c))
        return;
    // Symbol fonts' characters given as \uN lie at U+F020 to U+F0FF.
    if (c >= 0xF020 && c <= 0xF0FF && m_fonts.codePage(state.bytesFont()) == kSymbolFontCodePage)
        c = symbolFontCharacter(uchar(c));
    prepareForText(state);
    flushBytes();
    m_buffer += QChar(c);
}

void TextOutput::prepareForText(const CharState& state)
{
    if (!m_bufferStateValid || !(state == m_bufferState)) {
        flushText();
        m_bufferState = state;
        m_bufferStateValid = true;
    }
    if (m_pendingCells > 0) {
        flushBytes();
        m_buffer += QString(m_pendingCells, u'\t');
        m_pendingCells = 0;
    }
}

void TextOutput::flushBytes()
{
    if (m_pendingBytes.isEmpty())
        return;
    if (m_pendingPrintable && m_pendingCodePage != kSymbolFontCodePage) {
        m_buffer += QLatin1StringView(m_pendingBytes);
    } else {
        QString decoded = m_codePages.decode(m_pendingCodePage, m_pendingBytes);
        decoded.removeIf([](QChar c) { return dropsOut(c.unicode()); });
        m_buffer += decoded;
    }
    m_pendingBytes.resize(0);
    m_pendingPrintable = true;
}

const QTextCharFormat& TextOutput::formatFor(const CharState& state)
{
    if (m_formats.empty())
        m_formats.resize(m_formatSlots);
    CachedFormat& slot = m_formats[qHash(state) & (m_formatSlots - 1)];
    if (slot.generation != m_formatGeneration || !(slot.state == state)) {
        slot.state = state;
        slot.format = compacted(charFormat(state, m_fonts, m_colors, m_fields));
        slot.generation = m_formatGeneration;
    }
    return slot.format;
}

void TextOutput::flushText()
{
    flushBytes();
    if (m_buffer.isEmpty())
        return;
    // Separators in the text open blocks in the format of the block the
    // text starts in; the block after the last one starts plain, as a
    // paragraph's end leaves it.
    m_cursor.insertText(m_buffer, formatFor(m_bufferState));
    m_paragraphEnded = m_buffer.back() == u'\u2029';
    if (m_bufferBlocks > 0 && !m_blockIsPlain) {
        m_cursor.setBlockFormat(QTextBlockFormat());
        m_blockIsPlain = true;
    }
    m_lastState = m_bufferState;
    m_lastKnown = true;
    m_bufferBlocks = 0;
    m_buffer.resize(0);
}

void TextOutput::fontsChanging()
{
    flushText();
    ++m_formatGeneration; // every slot made before is stale, at no cost per slot
    m_lastKnown = false;  // its format was made with the table that goes
}

void TextOutput::endParagraph(const ParaState& para)
{
    flushBytes();
    m_pendingCells = 0;
    if (m_bufferBlocks > 0 && !(para == m_bufferPara))
        flushText();
    // A separator in the buffer takes the character format of the character
    // before it and opens a block in its own block's format: both must be
    // known here. A list item joins its list as a block of its own.
    const bool inList = para.list >= 0 || para.legacyList >= 0;
    const bool known = m_bufferBlocks > 0 ||
                       (m_blockOpenedHere && !inList && (!m_buffer.isEmpty() || m_lastKnown));
    if (!known) {
        flushText();
        applyParagraph(para);
        if (m_lastKnown)
            m_cursor.insertBlock(QTextBlockFormat(), formatFor(m_lastState));
        else
            m_cursor.insertBlock(QTextBlockFormat());
        m_blockIsPlain = true;
        m_blockOpenedHere = true;
        m_paragraphEnded = true;
        return;
    }
    if (m_buffer.isEmpty()) {
        m_bufferState = m_lastState;
        m_bufferStateValid = true;
    }
    if (m_bufferBlocks == 0) {
        applyParagraph(para);
        m_bufferPara = para;
    } else {
        m_lists.paragraph(para);
    }
    m_buffer += QChar(u'\u2029');
    ++m_bufferBlocks;
    if (m_buffer.size() >= kMaxBatch)
        flushText();
}

void TextOutput::endCell(const ParaState& para)
{
    flushText();
    m_pendingCells = 0;
    applyParagraph(para);
    m_blockIsPlain = true;
    m_paragraphEnded = false;
}

void TextOutput::takeEmptyParagraph()
{
    if (m_paragraphEnded && m_cursor.block().length() == 1 && m_cursor.block().previous().isValid())
        m_cursor.deletePreviousChar();
    m_paragraphEnded = false;
    m_lastKnown = false;
    m_blockOpenedHere = false;
}

void TextOutput::finish(const ParaState& para)
{
    flushText();
    if (m_paragraphEnded && m_cursor.block().length() == 1) {
        // The \par that ended the last paragraph opened no new one.
        m_cursor.deletePreviousChar();
        m_lastKnown = false;
        m_blockOpenedHere = false;
        return;
    }
    applyParagraph(para);
}

void TextOutput::applyParagraph(const ParaState& para)
{
    m_lists.paragraph(para); // an old-style list ends at the first paragraph outside it
    if (para == ParaState{} && m_blockIsPlain)
        return;
    const bool item = (para.list >= 0 || para.legacyList >= 0) && m_lists.isItem(para);
    if (!m_blockFormatValid || !(m_blockState == para) || m_blockInList != item) {
        m_blockFormat = blockFormat(para, m_document->indentWidth(), item);
        m_blockState = para;
        m_blockInList = item;
        m_blockFormatValid = true;
    }
    m_cursor.setBlockFormat(m_blockFormat);
    m_blockIsPlain = false;
    if (!item)
        return;
    if (QTextList* list = m_lists.listFor(para, m_cursor))
        list->add(m_cursor.block());
}

} // namespace velko::rtf::reader
