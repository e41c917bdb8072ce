#pragma once

#include "rtf/keptproperties.h"
#include "rtf/listnumbers.h"
#include "rtf/pictureproperties.h"

#include <cctype>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>

// A document's structure in one line, to compare in tests: paragraphs
// separated by '/', "#N " before a heading of level N, "~" before one that
// starts a page, a list item's label and a space after a '>' for each level
// of its list (">>1.2. "), "<WxH>" for a picture ("<WxH*>" when kept as the
// file gave it), "{word}" for an object kept as RTF by its first word, "^1"
// for a footnote's mark or number, a table as "[(a|b)(c|d)]" row by row, a
// merged cell as "RxC:" before its text, the notes as "notes(...)" with "@"
// before each footnote ("@@" an endnote).
inline QString structureOf(QTextFrame::iterator it);

inline QString paragraphStructure(const QTextBlock& block)
{
    QString out;
    const QTextBlockFormat blockFormat = block.blockFormat();
    if (blockFormat.hasProperty(velko::rtf::kNoteId))
        out += blockFormat.hasProperty(velko::rtf::kNoteEndnote) ? "@@" : "@";
    if (blockFormat.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
        out += u'~';
    if (const int level = blockFormat.headingLevel(); level > 0)
        out += QStringLiteral("#%1 ").arg(level);
    if (const QTextList* list = block.textList()) {
        const bool bullet = list->format().style() > QTextListFormat::ListDecimal;
        out += QString(list->format().indent(), u'>') +
               (bullet ? QStringLiteral("•") : velko::rtf::listItemText(*list, block)) + u' ';
    }
    for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
        const QTextCharFormat format = fragment.fragment().charFormat();
        if (format.hasProperty(velko::rtf::kFootnoteMark) ||
            format.hasProperty(velko::rtf::kFootnoteNumber))
            out += u'^';
        if (!format.isImageFormat()) {
            out += fragment.fragment().text();
            continue;
        }
        const QTextImageFormat image = format.toImageFormat();
        if (velko::rtf::isKeptName(image.name())) {
            QByteArray rtf = image.property(velko::rtf::kKeptRtf).toByteArray();
            rtf = rtf.mid(rtf.startsWith("{\\*\\") ? 4 : rtf.startsWith("{") ? 2 : 1);
            qsizetype letters = 0;
            while (letters < rtf.size() && std::isalpha(uchar(rtf.at(letters))))
                ++letters;
            out += u'{' + QString::fromLatin1(rtf.left(letters)) + u'}';
            continue;
        }
        out += QStringLiteral("<%1x%2%3>")
                   .arg(image.width())
                   .arg(image.height())
                   .arg(image.hasProperty(velko::rtf::kPictureWords) ? "*" : "");
    }
    return out;
}

inline QString structureOf(QTextFrame::iterator it)
{
    QStringList parts;
    for (; !it.atEnd(); ++it) {
        const auto* table = qobject_cast<QTextTable*>(it.currentFrame());
        if (it.currentFrame() && !table) {
            parts += "notes(" + structureOf(it.currentFrame()->begin()) + u')';
            continue;
        }
        if (!table) {
            parts += paragraphStructure(it.currentBlock());
            continue;
        }
        QString rows;
        for (int row = 0; row < table->rows(); ++row) {
            QStringList cells;
            for (int column = 0; column < table->columns(); ++column) {
                const QTextTableCell cell = table->cellAt(row, column);
                if (cell.row() != row || cell.column() != column)
                    continue;
                QString text = structureOf(cell.begin());
                if (cell.rowSpan() > 1 || cell.columnSpan() > 1)
                    text.prepend(
                        QStringLiteral("%1x%2:").arg(cell.rowSpan()).arg(cell.columnSpan()));
                cells += text;
            }
            rows += u'(' + cells.join(u'|') + u')';
        }
        parts += u'[' + rows + u']';
    }
    return parts.join(u'/');
}

inline QString structureOf(const QTextDocument& document)
{
    return structureOf(document.rootFrame()->begin());
}
