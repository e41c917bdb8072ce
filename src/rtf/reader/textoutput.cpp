#include "rtf/reader/textoutput.h"

#include "rtf/reader/codepages.h"
#include "rtf/reader/fields.h"
#include "rtf/reader/fontsandcolors.h"
#include "rtf/reader/lists.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

namespace velko::rtf::reader {

namespace {

// Character formats kept for reuse; a bound for documents of endless variety.
constexpr qsizetype kMaxCachedFormats = 4096;

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

void TextOutput::begin()
{
    m_cursor = QTextCursor(m_document);
    m_cursor.beginEditBlock();
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

void TextOutput::flushText()
{
    flushBytes();
    if (m_buffer.isEmpty())
        return;
    auto format = m_formats.constFind(m_bufferState);
    if (format == m_formats.cend()) {
        if (m_formats.size() >= kMaxCachedFormats)
            m_formats.clear();
        format =
            m_formats.insert(m_bufferState, charFormat(m_bufferState, m_fonts, m_colors, m_fields));
    }
    m_cursor.insertText(m_buffer, *format);
    m_paragraphEnded = false;
    m_buffer.resize(0);
}

void TextOutput::fontsChanging()
{
    flushText();
    m_formats.clear();
}

void TextOutput::endParagraph(const ParaState& para)
{
    flushText();
    m_pendingCells = 0;
    applyParagraph(para);
    m_cursor.insertBlock(QTextBlockFormat());
    m_blockIsPlain = true;
    m_paragraphEnded = true;
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
}

void TextOutput::finish(const ParaState& para)
{
    flushText();
    if (m_paragraphEnded && m_cursor.block().length() == 1) {
        // The \par that ended the last paragraph opened no new one.
        m_cursor.deletePreviousChar();
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
