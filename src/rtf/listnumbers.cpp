#include "rtf/listnumbers.h"

#include "rtf/textproperties.h"

#include <QTextBlock>
#include <QTextList>

namespace velko::rtf {

namespace {

QString romanNumber(int number)
{
    static const struct
    {
        int value;
        const char* digits;
    } kParts[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"},
                  {90, "xc"},  {50, "l"},   {40, "xl"}, {10, "x"},   {9, "ix"},
                  {5, "v"},    {4, "iv"},   {1, "i"}};
    QString out;
    for (const auto& part : kParts) {
        for (; number >= part.value; number -= part.value)
            out += QLatin1String(part.digits);
    }
    return out;
}

// a, b, ... z, aa, ab, ...: letters counted without a zero.
QString letterNumber(int number)
{
    QString out;
    for (; number > 0; number = (number - 1) / 26)
        out.prepend(QChar(u'a' + (number - 1) % 26));
    return out;
}

} // namespace

QString listNumberText(int number, QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListDecimal:
        return QString::number(number);
    case QTextListFormat::ListLowerAlpha:
        return letterNumber(number);
    case QTextListFormat::ListUpperAlpha:
        return letterNumber(number).toUpper();
    case QTextListFormat::ListLowerRoman:
        return number > 0 && number < 5000 ? romanNumber(number) : QString::number(number);
    case QTextListFormat::ListUpperRoman:
        return number > 0 && number < 5000 ? romanNumber(number).toUpper()
                                           : QString::number(number);
    default:
        return QString();
    }
}

QString listItemText(const QTextList& list, const QTextBlock& block)
{
    const QTextListFormat format = list.format();
    const int index = list.itemNumber(block);
    if (!format.hasProperty(kListStart) || index < 0 ||
        format.style() > QTextListFormat::ListDecimal)
        return list.itemText(block);
    const QString suffix = format.hasProperty(QTextFormat::ListNumberSuffix) ? format.numberSuffix()
                                                                             : QStringLiteral(".");
    return format.numberPrefix() +
           listNumberText(format.intProperty(kListStart) + index, format.style()) + suffix;
}

} // namespace velko::rtf
