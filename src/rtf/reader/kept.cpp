#include "rtf/reader/kept.h"

#include "rtf/keptproperties.h"
#include "rtf/plaintext.h"
#include "rtf/reader/codepages.h"
#include "rtf/reader/fontsandcolors.h"
#include "rtf/rtfreader.h"

#include <QCryptographicHash>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>

namespace velko::rtf::reader {

namespace {

// The marker a kept object shows: a small dashed square.
QImage marker()
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QPen pen(QColor(0x80, 0x80, 0x80));
    pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    painter.drawRect(1, 1, 13, 13);
    painter.fillRect(6, 6, 4, 4, QColor(0x80, 0x80, 0x80));
    return image;
}

// The text of a shape's text box (its \shptxt group), paragraphs on lines
// of their own; empty for a shape without one.
QString textBoxText(QByteArrayView rtf)
{
    // Longest text shown, in characters.
    constexpr qsizetype kMaxText = 400;
    RtfTokenizer tokenizer(rtf);
    int depth = 0;
    int boxDepth = 0; // the depth of the \shptxt group, 0: not in it
    qsizetype boxStart = 0;
    bool groupStart = false;
    for (;;) {
        const qsizetype before = tokenizer.position();
        const RtfToken token = tokenizer.next();
        const bool first = groupStart;
        groupStart = token.type == RtfToken::Type::GroupOpen;
        if (token.type == RtfToken::Type::End)
            return {};
        if (token.type == RtfToken::Type::GroupOpen) {
            ++depth;
        } else if (token.type == RtfToken::Type::GroupClose) {
            if (depth-- == boxDepth)
                return keptText(rtf.sliced(boxStart, before - boxStart), true)
                    .trimmed()
                    .left(kMaxText);
        } else if (boxDepth == 0 && first && token.type == RtfToken::Type::ControlWord &&
                   token.name == QByteArrayView("shptxt")) {
            boxDepth = depth;
            boxStart = tokenizer.position();
        }
    }
}

// A text box shown as its text in a dashed frame, as wide as the text
// needs up to a bound.
QImage textBoxImage(const QString& text)
{
    constexpr int kMaxWidth = 240;
    constexpr int kMaxHeight = 160;
    constexpr int kPadding = 4;
    QFont font;
    font.setPointSizeF(9);
    const QFontMetrics metrics(font);
    const QRect bounds =
        metrics.boundingRect(QRect(0, 0, kMaxWidth, kMaxHeight), Qt::TextWordWrap, text);
    QImage image(bounds.width() + 2 * kPadding + 2,
                 qMin(bounds.height(), kMaxHeight) + 2 * kPadding + 2, QImage::Format_ARGB32);
    image.fill(QColor(0xfa, 0xfa, 0xfa)); // dark text on it reads on any window colours
    QPainter painter(&image);
    QPen pen(QColor(0x80, 0x80, 0x80));
    pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
    painter.setPen(QColor(0x30, 0x30, 0x30));
    painter.setFont(font);
    painter.drawText(
        image.rect().adjusted(kPadding + 1, kPadding + 1, -kPadding - 1, -kPadding - 1),
        Qt::TextWordWrap, text);
    return image;
}

QImage nothing()
{
    QImage image(1, 1, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// The font and colour numbers RTF names.
void collectReferences(QByteArrayView rtf, QSet<int>& fonts, QSet<int>& colors)
{
    RtfTokenizer tokenizer(rtf);
    for (RtfToken token = tokenizer.next(); token.type != RtfToken::Type::End;
         token = tokenizer.next()) {
        if (token.type != RtfToken::Type::ControlWord || !token.hasParameter)
            continue;
        switch (keptReference(token.name)) {
        case KeptReference::Font:
            fonts.insert(token.parameter);
            break;
        case KeptReference::Color:
            colors.insert(token.parameter);
            break;
        default:
            break;
        }
    }
}

// Whether a note's RTF says it is an endnote: \ftnalt among its first words.
bool isEndnote(const QByteArray& rtf)
{
    RtfTokenizer tokenizer(rtf);
    for (int i = 0; i < 6; ++i) {
        const RtfToken token = tokenizer.next();
        if (token.type == RtfToken::Type::ControlWord && token.name == QByteArrayView("ftnalt"))
            return true;
        if (token.type == RtfToken::Type::Text || token.type == RtfToken::Type::End)
            return false;
    }
    return false;
}

// A note's text without its \footnote group: what a reader reads on its own.
QByteArray noteBody(const QByteArray& rtf)
{
    qsizetype start = rtf.indexOf("\\footnote");
    if (start < 0)
        return {};
    start += 9;
    if (start < rtf.size() && rtf.at(start) == ' ')
        ++start;
    qsizetype end = rtf.size();
    if (end > start && rtf.at(end - 1) == '}')
        --end;
    return rtf.mid(start, end - start);
}

} // namespace

QString Kept::noteNumberLabel() const
{
    return noteLabel(m_noteNumber, m_noteEndnote);
}

void Kept::addSetting(QByteArrayView rtf)
{
    if (!m_sections.isEmpty())
        m_sections.last().rtf += rtf;
    else
        m_document += rtf;
}

void Kept::sectionBreak(const QTextCursor& cursor)
{
    m_sections.append(Section{cursor, QByteArray()});
}

QTextImageFormat Kept::object(const QByteArray& rtf, const QTextCharFormat& around, bool hidden,
                              QTextDocument* document)
{
    collectReferences(rtf, m_fonts, m_colors);
    const QString name =
        QLatin1String(kKeptScheme) + u':' +
        QString::fromLatin1(
            QCryptographicHash::hash(rtf, QCryptographicHash::Sha1).toHex().left(24));
    static const QImage shown = marker();
    static const QImage none = nothing();
    // A text box shows its text; anything else a marker.
    const QString boxText = hidden ? QString() : textBoxText(rtf);
    const QImage image = hidden ? none : boxText.isEmpty() ? shown : textBoxImage(boxText);
    QTextCharFormat format = around;
    format.setObjectType(QTextFormat::ImageObject);
    format.setProperty(QTextFormat::ImageName, name);
    format.setProperty(QTextFormat::ImageWidth, hidden              ? 0.0
                                                : boxText.isEmpty() ? 12.0
                                                                    : double(image.width()));
    format.setProperty(QTextFormat::ImageHeight, hidden              ? 0.0
                                                 : boxText.isEmpty() ? 12.0
                                                                     : double(image.height()));
    format.setProperty(kKeptRtf, rtf);
    document->addResource(kKeptResource, keptRtfUrl(name), rtf);
    document->addResource(QTextDocument::ImageResource, QUrl(name), image);
    return format.toImageFormat();
}

void Kept::addNote(const QByteArray& rtf, QTextCursor& cursor, const QTextCharFormat& format)
{
    Note note{rtf, 0, isEndnote(rtf)};
    note.number = note.endnote ? ++m_endnotes : ++m_footnotes;
    const int id = int(m_notes.size()) + 1;
    const QString label = noteLabel(note.number, note.endnote);
    QTextCharFormat markFormat;
    markFormat.setProperty(kFootnoteMark, id);

    const bool automatic =
        !m_mark.isNull() && m_mark.hasSelection() && m_mark.selectionEnd() == cursor.position();
    QTextCursor before(cursor);
    before.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
    if (automatic) {
        QTextCursor last(cursor);
        QTextCharFormat numberFormat = last.charFormat();
        numberFormat.setProperty(kFootnoteMark, id);
        m_mark.insertText(label, numberFormat);
    } else if (before.hasSelection() && before.selectionStart() >= cursor.block().position() &&
               !before.charFormat().hasProperty(kFootnoteMark)) {
        before.mergeCharFormat(markFormat); // a mark of its own: the character before
    } else {
        QTextCharFormat numberFormat = format;
        numberFormat.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        numberFormat.setProperty(kFootnoteNumber, true);
        numberFormat.setProperty(kFootnoteMark, id);
        cursor.insertText(label, numberFormat);
    }
    m_mark = QTextCursor();
    m_notes.append(note);
}

void Kept::finish(QTextDocument* document, const FontTable& fonts, const ColorTable& colors)
{
    QTextBlockFormat breakFormat;
    breakFormat.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    // The cursors kept their place; their anchors moved on with the text.
    for (QTextCursor& cursor : m_pageBreaks) {
        cursor.clearSelection();
        cursor.mergeBlockFormat(breakFormat);
    }
    for (Section& section : m_sections) {
        section.cursor.clearSelection();
        collectReferences(section.rtf, m_fonts, m_colors);
        QTextBlockFormat format;
        format.setProperty(kSectionBreak, "\\sect" + section.rtf);
        section.cursor.mergeBlockFormat(format);
    }
    if (!m_notes.isEmpty())
        buildNotes(document);
    if (!m_document.isEmpty()) {
        collectReferences(m_document, m_fonts, m_colors);
        document->addResource(kKeptResource, kKeptDocumentUrl, m_document);
    }
    if (!m_fonts.isEmpty() || !m_colors.isEmpty())
        storeReferences(document, fonts, colors);
}

// The notes, each read on its own with the document's tables, one after the
// other in a frame at the document's end.
void Kept::buildNotes(QTextDocument* document)
{
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    QTextFrameFormat area;
    area.setProperty(kNotesArea, true);
    area.setTopMargin(12);
    area.setBorder(1);
    area.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    area.setBorderBrush(QColor(0xc0, 0xc0, 0xc0));
    area.setPadding(4);
    QTextFrame* frame = cursor.insertFrame(area);
    const QByteArray prelude = "{\\rtf1" + m_prelude;
    for (qsizetype i = 0; i < m_notes.size(); ++i) {
        const Note& note = m_notes.at(i);
        QTextDocument text;
        text.setDefaultFont(document->defaultFont());
        RtfReader reader(&text);
        (void)reader.readNote(prelude + '\n' + noteBody(note.rtf) + '}', note.number, note.endnote);
        m_fonts.unite(reader.kept().m_fonts);
        m_colors.unite(reader.kept().m_colors);

        QTextCursor in = frame->lastCursorPosition();
        if (i > 0)
            in.insertBlock(QTextBlockFormat(), QTextCharFormat());
        const int start = in.position();
        in.insertFragment(QTextDocumentFragment(&text));
        QTextCursor first(document);
        first.setPosition(start);
        QTextBlockFormat id;
        id.setProperty(kNoteId, int(i + 1));
        if (note.endnote)
            id.setProperty(kNoteEndnote, true);
        first.mergeBlockFormat(id);
        // The pictures and kept objects of the note bring their resources.
        for (QTextBlock block = first.block(); block.isValid() && block.position() <= in.position();
             block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat format = it.fragment().charFormat();
                if (!format.isImageFormat())
                    continue;
                const QString name = format.toImageFormat().name();
                for (const QUrl& url : {QUrl(name), keptRtfUrl(name)}) {
                    if (const QVariant resource = text.resource(0, url); resource.isValid())
                        document->addResource(QTextDocument::ImageResource, url, resource);
                }
            }
        }
    }
}

void Kept::storeReferences(QTextDocument* document, const FontTable& fonts,
                           const ColorTable& colors) const
{
    QVariantHash references;
    for (const int font : m_fonts) {
        const QString family = fonts.family(font);
        if (family.isEmpty())
            continue;
        references.insert(QStringLiteral("f%1").arg(font), family);
        // The character set its bytes were read in, for the bytes kept as they came.
        for (const int charset : {2, 77, 128, 129, 130, 134, 136, 161, 162, 163, 177, 178, 186, 204,
                                  222, 238, 254, 255}) {
            if (codePageForCharset(charset) == fonts.codePage(font)) {
                references.insert(QStringLiteral("F%1").arg(font), charset);
                break;
            }
        }
    }
    for (const int color : m_colors)
        references.insert(QStringLiteral("c%1").arg(color), colors.color(color));
    document->addResource(kKeptResource, kKeptReferencesUrl, references);
}

} // namespace velko::rtf::reader
