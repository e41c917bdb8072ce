#include "engine/textedit/textformat.h"

#include <QColor>
#include <QFont>
#include <QTextDocument>
#include <QTextList>

namespace velko::textformat {

QList<QTextBlock> selectedBlocks(const QTextCursor& cursor)
{
    QList<QTextBlock> blocks;
    const QTextDocument* document = cursor.document();
    const QTextBlock last = document->findBlock(cursor.selectionEnd());
    for (QTextBlock block = document->findBlock(cursor.selectionStart()); block.isValid();
         block = block.next()) {
        blocks.append(block);
        if (block == last)
            break;
    }
    return blocks;
}

// --- Character formats -------------------------------------------------------

void setFontFamily(QTextCursor& cursor, const QString& family)
{
    QTextCharFormat format;
    format.setFontFamilies(QStringList{family});
    cursor.mergeCharFormat(format);
}

void setFontSize(QTextCursor& cursor, qreal pointSize)
{
    QTextCharFormat format;
    format.setFontPointSize(pointSize);
    cursor.mergeCharFormat(format);
}

void setFont(QTextCursor& cursor, const QFont& font)
{
    QTextCharFormat format;
    format.setFont(font, QTextCharFormat::FontPropertiesSpecifiedOnly);
    format.setFontFamilies(QStringList{font.family()});
    format.setFontPointSize(font.pointSizeF());
    cursor.mergeCharFormat(format);
}

void setBold(QTextCursor& cursor, bool on)
{
    QTextCharFormat format;
    format.setFontWeight(on ? QFont::Bold : QFont::Normal);
    cursor.mergeCharFormat(format);
}

void setItalic(QTextCursor& cursor, bool on)
{
    QTextCharFormat format;
    format.setFontItalic(on);
    cursor.mergeCharFormat(format);
}

void setUnderline(QTextCursor& cursor, bool on)
{
    QTextCharFormat format;
    format.setFontUnderline(on);
    cursor.mergeCharFormat(format);
}

void setStrikeOut(QTextCursor& cursor, bool on)
{
    QTextCharFormat format;
    format.setFontStrikeOut(on);
    cursor.mergeCharFormat(format);
}

void setSuperscript(QTextCursor& cursor, bool on)
{
    QTextCharFormat format;
    format.setVerticalAlignment(on ? QTextCharFormat::AlignSuperScript
                                   : QTextCharFormat::AlignNormal);
    cursor.mergeCharFormat(format);
}

void setSubscript(QTextCursor& cursor, bool on)
{
    QTextCharFormat format;
    format.setVerticalAlignment(on ? QTextCharFormat::AlignSubScript
                                   : QTextCharFormat::AlignNormal);
    cursor.mergeCharFormat(format);
}

void setTextColor(QTextCursor& cursor, const QColor& color)
{
    QTextCharFormat format;
    format.setForeground(color);
    cursor.mergeCharFormat(format);
}

void setHighlightColor(QTextCursor& cursor, const QColor& color)
{
    QTextCharFormat format;
    format.setBackground(color);
    cursor.mergeCharFormat(format);
}

void clearFormatting(QTextCursor& cursor)
{
    if (!cursor.hasSelection()) {
        cursor.setCharFormat(QTextCharFormat());
        return;
    }
    struct Link
    {
        int start;
        int end;
        QString href;
    };
    QList<Link> links;
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    for (const QTextBlock& block : selectedBlocks(cursor)) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!format.isAnchor() || format.anchorHref().isEmpty())
                continue;
            const int from = qMax(start, fragment.position());
            const int to = qMin(end, fragment.position() + fragment.length());
            if (from < to)
                links.append({from, to, format.anchorHref()});
        }
    }
    cursor.beginEditBlock();
    cursor.setCharFormat(QTextCharFormat());
    for (const Link& link : std::as_const(links)) {
        QTextCursor part(cursor.document());
        part.setPosition(link.start);
        part.setPosition(link.end, QTextCursor::KeepAnchor);
        QTextCharFormat anchor;
        anchor.setAnchor(true);
        anchor.setAnchorHref(link.href);
        part.mergeCharFormat(anchor);
    }
    cursor.endEditBlock();
}

std::optional<qreal> fontSizeFromText(const QString& text, const QLocale& locale)
{
    bool ok = false;
    const qreal size = locale.toDouble(text, &ok);
    if (ok && size > 0 && size <= 1638)
        return size;
    return std::nullopt;
}

// --- Paragraph formats -------------------------------------------------------

void setAlignment(QTextCursor& cursor, Qt::Alignment alignment)
{
    QTextBlockFormat format;
    format.setAlignment(alignment);
    cursor.mergeBlockFormat(format);
}

void changeIndent(QTextCursor& cursor, int levels)
{
    cursor.beginEditBlock();
    for (const QTextBlock& block : selectedBlocks(cursor)) {
        QTextCursor here(block);
        if (QTextList* list = block.textList()) {
            QTextListFormat format = list->format();
            const int level = format.indent() + levels;
            if (level < 1) {
                list->remove(block);
                QTextBlockFormat plain = block.blockFormat();
                plain.setIndent(0);
                here.setBlockFormat(plain);
                continue;
            }
            const QTextList* above = block.previous().textList();
            if (above && above->format().indent() == level &&
                above->format().style() == format.style()) {
                const_cast<QTextList*>(above)->add(block);
            } else {
                format.setIndent(level);
                here.createList(format);
            }
        } else {
            QTextBlockFormat format = block.blockFormat();
            format.setIndent(qMax(0, format.indent() + levels));
            here.setBlockFormat(format);
        }
    }
    cursor.endEditBlock();
}

namespace {

void setListOn(QTextCursor& cursor, QTextListFormat::Style style)
{
    cursor.beginEditBlock();
    if (QTextList* list = cursor.currentList()) {
        // The list changes its kind; selected paragraphs outside it join it.
        QTextListFormat format = list->format();
        format.setStyle(style);
        list->setFormat(format);
        for (const QTextBlock& block : selectedBlocks(cursor)) {
            if (!block.textList())
                list->add(block);
        }
    } else {
        const QTextBlockFormat blockFormat = cursor.blockFormat();
        QTextListFormat format;
        format.setStyle(style);
        format.setIndent(blockFormat.indent() + 1);
        for (const QTextBlock& block : selectedBlocks(cursor)) {
            QTextBlockFormat flat = block.blockFormat();
            flat.setIndent(0);
            QTextCursor(block).setBlockFormat(flat);
        }
        cursor.createList(format);
    }
    cursor.endEditBlock();
}

void setListOff(QTextCursor& cursor)
{
    cursor.beginEditBlock();
    for (const QTextBlock& block : selectedBlocks(cursor)) {
        QTextList* list = block.textList();
        if (!list)
            continue;
        const int level = list->format().indent();
        list->remove(block);
        QTextBlockFormat format = block.blockFormat();
        format.setIndent(qMax(0, level - 1));
        QTextCursor(block).setBlockFormat(format);
    }
    cursor.endEditBlock();
}

} // namespace

void setList(QTextCursor& cursor, QTextListFormat::Style style, bool on)
{
    if (on)
        setListOn(cursor, style);
    else
        setListOff(cursor);
}

} // namespace velko::textformat
