#include "rtf/plaintext.h"

#include "rtf/listnumbers.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

namespace velko::rtf {

namespace {

QString labelFor(const QTextList& list, const QTextBlock& block)
{
    switch (list.format().style()) {
    case QTextListFormat::ListDisc:
        return QStringLiteral("\u2022");
    case QTextListFormat::ListCircle:
        return QStringLiteral("\u25E6");
    case QTextListFormat::ListSquare:
        return QStringLiteral("\u25AA");
    default:
        return listItemText(list, block);
    }
}

} // namespace

QString plainText(const QTextDocument& document)
{
    QString out;
    out.reserve(document.characterCount());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            out += u'\n';
        if (const QTextList* list = block.textList())
            out += labelFor(*list, block) + u'\t';
        QString text = block.text();
        for (QChar& c : text) {
            if (c == QChar::LineSeparator)
                c = u'\n';
            else if (c == QChar::Nbsp)
                c = u' ';
        }
        out += text;
    }
    return out;
}

} // namespace velko::rtf
