#include "rtf/rtfwriter.h"

#include "rtf/formatwords.h"
#include "rtf/keptproperties.h"
#include "rtf/listnumbers.h"
#include "rtf/textproperties.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>

#include <bit>
#include <charconv>
#include <cmath>
#include <optional>

namespace velko::rtf {

namespace {

int twips(qreal points)
{
    return int(std::lround(points * 20));
}

// RTF list number formats (\levelnfc) for the Qt list styles.
int numberFormat(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListDecimal:
        return 0;
    case QTextListFormat::ListUpperRoman:
        return 1;
    case QTextListFormat::ListLowerRoman:
        return 2;
    case QTextListFormat::ListUpperAlpha:
        return 3;
    case QTextListFormat::ListLowerAlpha:
        return 4;
    default:
        return 23; // bullet
    }
}

char16_t bulletFor(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListCircle:
        return u'\u25E6';
    case QTextListFormat::ListSquare:
        return u'\u25AA';
    default:
        return u'\u2022';
    }
}

QString familyOf(const QTextCharFormat& format)
{
    const QStringList families = format.property(QTextFormat::FontFamilies).toStringList();
    if (!families.isEmpty() && !families.first().isEmpty())
        return families.first();
    return format.property(QTextFormat::FontFamily).toString();
}

// A control word and its number, in one append.
void appendControl(QByteArray& out, const char* word, std::optional<int> parameter)
{
    char control[48];
    char* p = control;
    *p++ = '\\';
    for (const char* c = word; *c && p < control + 32; ++c)
        *p++ = *c;
    if (parameter)
        p = std::to_chars(p, control + sizeof control, *parameter).ptr;
    out.append(control, p - control);
}

QString hrefOf(const QTextCharFormat& format)
{
    return format.anchorHref();
}

} // namespace

RtfWriter::RtfWriter(const QTextDocument& document) : m_document(document)
{
    const QFont font = document.defaultFont();
    m_defaultFamily = font.family();
    if (font.pointSizeF() > 0)
        m_defaultHalfPoints = int(std::lround(font.pointSizeF() * 2));
    m_indentWidth = document.indentWidth();
    m_colors.append(QColor()); // index 0: automatic
    fontIndex(m_defaultFamily);
}

QByteArray RtfWriter::write(int from, int to)
{
    const int end = m_document.characterCount() - 1; // the last paragraph mark is not text
    from = qBound(0, from, end);
    to = qBound(from, to, end);
    m_whole = from == 0 && to == end;

    // The font and colour tables list the text's fonts and colours before
    // those of tables and kept RTF, so with tables the text is looked at
    // first; without, one pass does both. An empty range writes no text but
    // names the fonts and colours of the text around it.
    const bool tables = !m_document.rootFrame()->childFrames().isEmpty();
    const bool textFirst = m_textFirst || tables || from == to;
    if (textFirst)
        collectTables(from, to);

    m_out.clear();
    m_out.reserve(qsizetype(to - from) * 3 / 2 + 1024);
    m_state = CharState{};
    m_state.halfPoints = 24;
    collectNotes();
    if (tables) {
        // With tables the frames are walked in order; without, the blocks simply follow.
        writeFrame(*m_document.rootFrame(), from, to, 0);
    } else {
        QTextBlock block = m_document.findBlock(from);
        for (int position = block.position(); block.isValid() && position <= to;
             position += block.length(), block = block.next()) {
            collectBlock(block);
            // A range that ends where a paragraph starts holds none of it; the
            // document's own last paragraph is the exception when it is empty.
            if (position == to && position != from && block.next().isValid())
                break;
            // Every paragraph ends with \par, the last one too, as word processors write it.
            writeBlock(block, from, to);
            m_out += paragraphEnd(block);
            m_needDelimiter = false;
            if (position + block.length() - 1 >= to || (m_wroteKept && !textFirst))
                break;
        }
    }
    if (m_wroteKept && !textFirst) {
        // Kept RTF named its fonts and colours among the text's: written
        // again, with the text looked at first.
        RtfWriter again(m_document);
        again.m_textFirst = true;
        return again.write(from, to);
    }

    if (from == 0 && to == end) // notes whose marks are gone, with the whole document only
        writeUnmarkedNotes();
    QByteArray settings = m_document.resource(kKeptResource, kKeptDocumentUrl).toByteArray();
    if (!settings.isEmpty())
        settings = keptRtf(settings) + '\n';

    QByteArray result;
    result.reserve(m_out.size() + settings.size() + 4096);
    writeHeader(result);
    result += settings;
    result += m_out;
    result += "}";
    m_out.clear();
    return result;
}

void RtfWriter::collectTables(int from, int to)
{
    QTextBlock block = m_document.findBlock(from);
    for (int position = block.position(); block.isValid() && position <= to;
         position += block.length(), block = block.next()) {
        collectBlock(block);
        const bool whole = position >= from && position + block.length() - 1 <= to;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!whole) {
                const int position = fragment.position();
                if (position + fragment.length() <= from || position >= to)
                    continue;
            }
            infoFor(fragment);
        }
    }
}

void RtfWriter::collectBlock(const QTextBlock& block)
{
    if (const int level = block.blockFormat().headingLevel(); level > 0 && level < 10)
        m_headingLevels |= 1 << level;
    if (const QTextList* list = block.textList(); list && !m_listIndex.contains(list)) {
        m_listIndex.insert(list, int(m_lists.size()));
        m_lists.append(list);
    }
}

int RtfWriter::fontIndex(const QString& family)
{
    const auto found = m_fontIndex.constFind(family);
    if (found != m_fontIndex.cend())
        return *found;
    const int index = int(m_fonts.size());
    m_fonts.append(family);
    m_fontIndex.insert(family, index);
    m_symbolFonts.append(isSymbolFontName(family));
    return index;
}

int RtfWriter::colorIndex(const QColor& color)
{
    const QRgb rgb = color.rgb();
    const auto found = m_colorIndex.constFind(rgb);
    if (found != m_colorIndex.cend())
        return *found;
    const int index = int(m_colors.size());
    m_colors.append(QColor::fromRgb(rgb));
    m_colorIndex.insert(rgb, index);
    return index;
}

// Formats are shared by index in the document, so each is looked at once
// while it stays in its slot; the slots bound what a document of endless
// variety costs.
const RtfWriter::FormatInfo& RtfWriter::infoFor(const QTextFragment& fragment)
{
    const int index = fragment.charFormatIndex();
    if (m_formats.empty()) // no more slots than the document has characters
        m_formats.resize(
            std::bit_ceil(size_t(qBound(64, m_document.characterCount(), kMaxFormatSlots))));
    FormatInfo& info = m_formats[size_t(index) & (m_formats.size() - 1)];
    if (info.index != index) {
        const QTextCharFormat format = fragment.charFormat();
        info = FormatInfo{stateFor(format),
                          hrefOf(format),
                          format.stringProperty(kFieldInstruction),
                          format.intProperty(kFieldNumber),
                          format.isImageFormat(),
                          format.hasProperty(kFootnoteMark) || format.hasProperty(kFootnoteNumber),
                          index};
    }
    return info;
}

RtfWriter::CharState RtfWriter::stateFor(const QTextCharFormat& format)
{
    CharState state;
    const QString family = familyOf(format);
    state.font = family.isEmpty() ? 0 : fontIndex(family);
    state.halfPoints = m_defaultHalfPoints;
    if (format.hasProperty(QTextFormat::FontPointSize) && format.fontPointSize() > 0)
        state.halfPoints = qBound(2, int(std::lround(format.fontPointSize() * 2)), 3276);
    state.bold = format.fontWeight() >= QFont::DemiBold;
    state.italic = format.fontItalic();
    state.underline = underlineKindOf(format);
    state.strike = format.fontStrikeOut();
    if (format.hasProperty(QTextFormat::ForegroundBrush) &&
        format.foreground().style() != Qt::NoBrush)
        state.foreground = colorIndex(format.foreground().color());
    if (format.hasProperty(QTextFormat::BackgroundBrush) &&
        format.background().style() != Qt::NoBrush)
        state.background = colorIndex(format.background().color());
    switch (format.verticalAlignment()) {
    case QTextCharFormat::AlignSuperScript:
        state.verticalAlignment = 1;
        break;
    case QTextCharFormat::AlignSubScript:
        state.verticalAlignment = 2;
        break;
    default:
        break;
    }
    return state;
}

void RtfWriter::writeHeader(QByteArray& out) const
{
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
    for (int i = 0; i < m_fonts.size(); ++i) {
        out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset" +
               QByteArray::number(m_fontCharsets.value(i)) + ' ';
        appendEscaped(out, QString(m_fonts.at(i)).remove(u';')); // ';' ends the name
        out += ";}";
    }
    out += "}\n{\\colortbl;";
    for (int i = 1; i < m_colors.size(); ++i) {
        const QColor& c = m_colors.at(i);
        out += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green()) +
               "\\blue" + QByteArray::number(c.blue()) + ";";
    }
    out += "}\n";
    if (m_headingLevels != 0)
        writeStyleSheet(out);
    if (!m_lists.isEmpty())
        writeListTables(out);
}

// Headings as the styles word processors name them, so they keep their level there.
void RtfWriter::writeStyleSheet(QByteArray& out) const
{
    out += "{\\stylesheet{\\s0 Normal;}";
    for (int level = 1; level < 10; ++level) {
        if (m_headingLevels & (1 << level)) {
            const QByteArray n = QByteArray::number(level);
            out += "{\\s" + n + "\\outlinelevel" + QByteArray::number(level - 1) +
                   "\\sbasedon0\\snext0 heading " + n + ";}";
        }
    }
    out += "}\n";
}

void RtfWriter::writeListTables(QByteArray& out) const
{
    out += "{\\*\\listtable";
    for (int i = 0; i < m_lists.size(); ++i) {
        const QTextListFormat format = m_lists.at(i)->format();
        const int nfc = format.hasProperty(kListNumberFormat)
                            ? format.intProperty(kListNumberFormat)
                            : numberFormat(format.style());
        const QByteArray start =
            QByteArray::number(format.hasProperty(kListStart) ? format.intProperty(kListStart) : 1);
        out += "\n{\\list\\listtemplateid" + QByteArray::number(i + 1) + "\\listhybrid";
        for (int level = 0; level < 9; ++level) {
            out += "{\\listlevel\\levelnfc" + QByteArray::number(nfc) + "\\levelnfcn" +
                   QByteArray::number(nfc) + "\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat" +
                   start;
            if (nfc == 23) {
                out += "{\\leveltext\\'01";
                appendEscaped(out, QString(QChar(bulletFor(format.style()))));
                out += ";}{\\levelnumbers;}";
            } else {
                const QString prefix = format.numberPrefix();
                const QString suffix = format.hasProperty(QTextFormat::ListNumberSuffix)
                                           ? format.numberSuffix()
                                           : QStringLiteral(".");
                const int length = int(qMin<qsizetype>(prefix.size() + suffix.size() + 1, 255));
                out += "{\\leveltext\\'" + QByteArray::number(length, 16).rightJustified(2, '0');
                appendEscaped(out, prefix);
                out += "\\'" + QByteArray::number(level, 16).rightJustified(2, '0');
                appendEscaped(out, suffix);
                out += ";}{\\levelnumbers\\'" +
                       QByteArray::number(prefix.size() + 1, 16).rightJustified(2, '0') + ";}";
            }
            out += "\\fi-360\\li" + QByteArray::number(720 * (level + 1)) + "}";
        }
        out += "{\\listname ;}\\listid" + QByteArray::number(i + 1) + "}";
    }
    out += "}\n{\\*\\listoverridetable";
    for (int i = 0; i < m_lists.size(); ++i) {
        out += "{\\listoverride\\listid" + QByteArray::number(i + 1) + "\\listoverridecount0\\ls" +
               QByteArray::number(i + 1) + "}";
    }
    out += "}\n";
}

QByteArray RtfWriter::paragraphProperties(const QTextBlock& block) const
{
    const QTextBlockFormat format = block.blockFormat();
    QByteArray out = "\\pard";
    // The style first: readers give its properties to the paragraph, and
    // the words after it change them.
    if (const int level = format.headingLevel(); level > 0 && level < 10)
        out += "\\s" + QByteArray::number(level) + "\\outlinelevel" + QByteArray::number(level - 1);
    const Qt::Alignment alignment = format.alignment() & Qt::AlignHorizontal_Mask;
    if (alignment & Qt::AlignHCenter)
        out += "\\qc";
    else if (alignment & Qt::AlignJustify)
        out += "\\qj";
    else if (alignment & (Qt::AlignRight | Qt::AlignTrailing))
        out += "\\qr";

    const QTextList* list = block.textList();
    const int listIndent = list ? list->format().indent() : 0;
    const int levels = format.indent();
    const int left = twips(format.leftMargin() + (levels + listIndent) * m_indentWidth);
    if (left != 0)
        out += "\\li" + QByteArray::number(left);
    if (const int right = twips(format.rightMargin()); right != 0)
        out += "\\ri" + QByteArray::number(right);
    if (const int first = twips(format.textIndent()); first != 0)
        out += "\\fi" + QByteArray::number(first);
    if (const int before = twips(format.topMargin()); before != 0)
        out += "\\sb" + QByteArray::number(before);
    if (const int after = twips(format.bottomMargin()); after != 0)
        out += "\\sa" + QByteArray::number(after);
    switch (format.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        out +=
            "\\sl" + QByteArray::number(std::lround(format.lineHeight() * 240 / 100)) + "\\slmult1";
        break;
    case QTextBlockFormat::FixedHeight:
        out += "\\sl-" + QByteArray::number(twips(format.lineHeight())) + "\\slmult0";
        break;
    case QTextBlockFormat::MinimumHeight:
        out += "\\sl" + QByteArray::number(twips(format.lineHeight())) + "\\slmult0";
        break;
    default:
        break;
    }
    // Indent levels travel as a word other readers ignore; \li above already
    // holds the distance they stand for.
    if (levels > 0)
        out += "\\velkoindent" + QByteArray::number(levels);
    if (list) {
        out += "\\ls" + QByteArray::number(m_listIndex.value(list) + 1) + "\\ilvl" +
               QByteArray::number(qBound(0, listIndent - 1, 8));
    }
    if (format.layoutDirection() == Qt::RightToLeft)
        out += "\\rtlpar";
    appendTabWords(out, format);
    if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
        out += "\\pagebb";
    return out;
}

void RtfWriter::writeBlock(const QTextBlock& block, int from, int to, int depth)
{
    auto cached = m_paragraphs.constFind(block.blockFormatIndex());
    if (cached == m_paragraphs.cend())
        cached = m_paragraphs.insert(block.blockFormatIndex(), paragraphProperties(block));
    QByteArray inTable;
    if (depth > 0)
        inTable = depth == 1 ? QByteArray("\\intbl") : "\\intbl\\itap" + QByteArray::number(depth);
    if (m_lastParagraph.size() != cached->size() + inTable.size() ||
        !m_lastParagraph.startsWith(*cached) || !m_lastParagraph.endsWith(inTable)) {
        m_lastParagraph = *cached + inTable;
        m_out += m_lastParagraph;
        m_needDelimiter = true;
    }
    // Of the whole document every block is whole, wherever it stands.
    const int blockStart = m_whole ? 0 : block.position();
    if (m_whole) {
        from = 0;
        to = block.length() - 1;
    }
    if (const QTextList* list = block.textList(); list && blockStart >= from) {
        // The number or bullet as plain text, for readers without list support.
        m_out += "{\\listtext ";
        m_needDelimiter = false;
        const int style = list->format().style();
        const bool bullet = numberFormat(QTextListFormat::Style(style)) == 23;
        appendEscaped(m_out, bullet ? QString(QChar(bulletFor(QTextListFormat::Style(style))))
                                    : listItemText(*list, block, m_items.indexOf(*list, block)));
        m_out += "\\tab}";
    }

    // Fragments follow each other without gaps, so a running offset into the
    // block's text places them without asking the document for positions.
    int offset = 0;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const int fragmentStart = offset;
        offset += fragment.length();
        const int start = qMax(blockStart + fragmentStart, from) - blockStart;
        const int end = qMin(blockStart + offset, to) - blockStart;
        if (start >= end)
            continue;
        const FormatInfo& info = infoFor(fragment);
        if (m_inLink && inOtherLink(info))
            closeLink();
        if (!m_inLink && (!info.href.isEmpty() || !info.field.isEmpty()))
            openLink(info);
        writeCharState(info.state);
        if (info.image) {
            const QTextImageFormat image = fragment.charFormat().toImageFormat();
            for (int i = start; i < end; ++i)
                writePicture(image);
            continue;
        }
        const QString text = fragment.text();
        const QStringView part = QStringView(text).sliced(start - fragmentStart, end - start);
        if (info.note) {
            writeNoteText(fragment.charFormat(), part);
            continue;
        }
        writeText(part);
    }
    if (m_inLink)
        closeLink();
}

void RtfWriter::writeCharState(const CharState& state)
{
    if (state == m_state)
        return;
    if (state.font != m_state.font)
        writeControl("f", state.font);
    if (state.halfPoints != m_state.halfPoints)
        writeControl("fs", state.halfPoints);
    if (state.bold != m_state.bold)
        writeControl(state.bold ? "b" : "b0");
    if (state.italic != m_state.italic)
        writeControl(state.italic ? "i" : "i0");
    if (state.underline != m_state.underline)
        writeControl(kUnderlineKinds[state.underline].word);
    if (state.strike != m_state.strike)
        writeControl(state.strike ? "strike" : "strike0");
    if (state.foreground != m_state.foreground)
        writeControl("cf", state.foreground);
    if (state.background != m_state.background)
        writeControl("chcbpat", state.background);
    if (state.verticalAlignment != m_state.verticalAlignment) {
        static const char* const words[] = {"nosupersub", "super", "sub"};
        writeControl(words[state.verticalAlignment]);
    }
    m_state = state;
}

void RtfWriter::openLink(const FormatInfo& info)
{
    if (!info.href.isEmpty()) {
        // A field argument in quotes: backslashes doubled, quotes as in URLs.
        QString target = info.href;
        target.replace(u'\\', QLatin1String("\\\\"));
        target.replace(u'"', QLatin1String("%22"));
        m_out += "{\\field{\\*\\fldinst{HYPERLINK \"";
        appendEscaped(m_out, target);
        m_out += "\"}}{\\fldrslt{";
    } else {
        m_out += "{\\field{\\*\\fldinst{";
        appendEscaped(m_out, info.field);
        m_out += "}}{\\fldrslt{";
    }
    m_needDelimiter = false;
    m_stateBeforeLink = m_state;
    m_inLink = true;
    m_linkHref = info.href;
    m_linkField = info.field;
    m_linkFieldNumber = info.fieldNumber;
}

bool RtfWriter::inOtherLink(const FormatInfo& info) const
{
    return info.href != m_linkHref || info.field != m_linkField ||
           info.fieldNumber != m_linkFieldNumber;
}

void RtfWriter::closeLink()
{
    m_out += "}}}";
    m_needDelimiter = false;
    m_state = m_stateBeforeLink;
    m_inLink = false;
    m_linkHref.clear();
    m_linkField.clear();
    m_linkFieldNumber = 0;
}

void RtfWriter::writeControl(const char* word)
{
    appendControl(m_out, word, std::nullopt);
    m_needDelimiter = true;
}

void RtfWriter::writeControl(const char* word, int parameter)
{
    appendControl(m_out, word, parameter);
    m_needDelimiter = true;
}

void RtfWriter::writeText(QStringView text)
{
    if (text.isEmpty())
        return;
    if (m_needDelimiter) {
        m_out += ' ';
        m_needDelimiter = false;
    }
    if (m_symbolFonts.at(m_state.font))
        appendSymbolFontText(m_out, text, appendEscaped);
    else
        appendEscaped(m_out, text);
}

void RtfWriter::appendEscaped(QByteArray& out, QStringView text)
{
    // Written through a pointer into room made beforehand: no character takes
    // more than 9 bytes ("\\u-32768?").
    const qsizetype oldSize = out.size();
    out.resize(oldSize + text.size() * 9);
    char* const begin = out.data() + oldSize;
    char* p = begin;
    const auto put = [&p](const char* s) {
        while (*s)
            *p++ = *s++;
    };
    static const char hex[] = "0123456789abcdef";
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c >= 0x20 && c < 0x7f) {
            if (c == '\\' || c == '{' || c == '}')
                *p++ = '\\';
            *p++ = char(c);
            continue;
        }
        switch (c) {
        case u'\t':
            put("\\tab ");
            continue;
        case u'\u2028':
        case u'\n':
        case u'\v':
            put("\\line ");
            continue;
        case u'\u00A0':
            put("\\~");
            continue;
        case u'\u00AD':
            put("\\-");
            continue;
        case u'\uFFFC': // an embedded object: RTF text cannot hold it
            continue;
        default:
            break;
        }
        if (c < 0x20)
            continue;
        put("\\u");
        int value = c > 32767 ? int(c) - 65536 : int(c);
        if (value < 0) {
            *p++ = '-';
            value = -value;
        }
        char digits[8];
        int count = 0;
        do {
            digits[count++] = char('0' + value % 10);
            value /= 10;
        } while (value > 0);
        while (count > 0)
            *p++ = digits[--count];
        if (c >= 0xA0 && c <= 0xFF) {
            // Latin-1 and code page 1252 agree here: a fallback older readers show right.
            put("\\'");
            *p++ = hex[c >> 4];
            *p++ = hex[c & 15];
        } else {
            *p++ = '?';
        }
    }
    out.resize(oldSize + (p - begin));
}

} // namespace velko::rtf
