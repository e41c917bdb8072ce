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

// Numbers written with ten digits and a sign for ten (Chinese counting, and
// the legal digits of East Asian documents, which write one ten too), up to 99.
QString tenNumber(int number, QStringView digits, bool legal = false)
{
    if (number < 1 || number > 99)
        return QString::number(number);
    const int tens = number / 10;
    const int ones = number % 10;
    QString out;
    if (tens > 1 || (tens == 1 && legal))
        out += digits.at(tens);
    if (tens > 0)
        out += digits.at(10);
    if (ones > 0)
        out += digits.at(ones);
    return out;
}

// Numbers as the n-th sign of a sequence, starting again after its end.
QString sequenceNumber(int number, QStringView signs)
{
    return number < 1 ? QString::number(number) : QString(signs.at((number - 1) % signs.size()));
}

} // namespace

bool isExtraNumberFormat(int numberFormat)
{
    switch (numberFormat) {
    case 10:
    case 12:
    case 13:
    case 14:
    case 16:
    case 18:
    case 19:
    case 20:
    case 21:
    case 22:
    case 24:
    case 25:
    case 30:
    case 31:
    case 34:
    case 35:
    case 38:
        return true;
    default:
        return false;
    }
}

QString listNumberText(int number, int numberFormat)
{
    switch (numberFormat) {
    case 0:
        return QString::number(number);
    case 1:
        return listNumberText(number, QTextListFormat::ListUpperRoman);
    case 2:
        return listNumberText(number, QTextListFormat::ListLowerRoman);
    case 3:
        return listNumberText(number, QTextListFormat::ListUpperAlpha);
    case 4:
        return listNumberText(number, QTextListFormat::ListLowerAlpha);
    case 10:
    case 35:
        return tenNumber(number, u"〇一二三四五六七八九十");
    case 16:
        return tenNumber(number, u"〇壱弐参四伍六七八九拾", true);
    case 34:
        return tenNumber(number, u"〇壹貳參肆伍陸柒捌玖拾", true);
    case 38:
        return tenNumber(number, u"〇壹贰叁肆伍陆柒捌玖拾", true);
    case 12:
        return sequenceNumber(number, u"ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝ");
    case 13:
        return sequenceNumber(number, u"ｲﾛﾊﾆﾎﾍﾄﾁﾘﾇﾙｦﾜｶﾖﾀﾚｿﾂﾈﾅﾗﾑｳヰﾉｵｸﾔﾏｹﾌｺｴﾃｱｻｷﾕﾒﾐｼヱﾋﾓｾｽ");
    case 20:
        return sequenceNumber(number, u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘ"
                                      u"ホマミムメモヤユヨラリルレロワヲン");
    case 21:
        return sequenceNumber(number, u"イロハニホヘトチリヌルヲワカヨタレソツネナラムウヰノオクヤ"
                                      u"マケフコエテアサキユメミシヱヒモセス");
    case 24:
        return sequenceNumber(number, u"가나다라마바사아자차카타파하");
    case 25:
        return sequenceNumber(number, u"ㄱㄴㄷㄹㅁㅂㅅㅇㅈㅊㅋㅌㅍㅎ");
    case 30:
        return sequenceNumber(number, u"甲乙丙丁戊己庚辛壬癸");
    case 31:
        return sequenceNumber(number, u"子丑寅卯辰巳午未申酉戌亥");
    case 18:
        return number >= 1 && number <= 20 ? QString(QChar(0x2460 + number - 1))
                                           : QString::number(number);
    case 14:
    case 19: {
        QString digits = QString::number(number);
        for (QChar& c : digits)
            c = QChar(c.unicode() + (c.isDigit() ? 0xFEE0 : 0));
        return digits;
    }
    case 22:
        return QString::number(number).rightJustified(2, u'0');
    case 23:
    case 255:
        return QString();
    default:
        return QString::number(number);
    }
}

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
    return listItemText(list, block, list.itemNumber(block));
}

QString listItemText(const QTextList& list, const QTextBlock& block, int index)
{
    const QTextListFormat format = list.format();
    const QTextListFormat::Style style = format.style();
    if (index < 0 || style > QTextListFormat::ListDecimal)
        return list.itemText(block);
    const QString suffix = format.hasProperty(QTextFormat::ListNumberSuffix) ? format.numberSuffix()
                                                                             : QStringLiteral(".");
    if (format.hasProperty(kListStart) || format.hasProperty(kListNumberFormat)) {
        const int number =
            (format.hasProperty(kListStart) ? format.intProperty(kListStart) : 1) + index;
        return format.numberPrefix() +
               (format.hasProperty(kListNumberFormat)
                    ? listNumberText(number, format.intProperty(kListNumberFormat))
                    : listNumberText(number, style)) +
               suffix;
    }
    // As Qt labels it: counted from 1, "?" past the Roman numbers it writes,
    // and the other way round in a right-to-left paragraph.
    const int number = index + 1;
    const bool roman =
        style == QTextListFormat::ListLowerRoman || style == QTextListFormat::ListUpperRoman;
    const QString text =
        roman && number >= 5000 ? QStringLiteral("?") : listNumberText(number, style);
    if (block.textDirection() == Qt::RightToLeft)
        return suffix + text + format.numberPrefix();
    return format.numberPrefix() + text + suffix;
}

int ListItemIndexes::indexOf(const QTextList& list, const QTextBlock& block)
{
    auto last = m_last.find(&list);
    if (last == m_last.end())
        last = m_last.insert(&list, -1);
    if (list.item(*last + 1) != block)
        *last = list.itemNumber(block);
    else
        ++*last;
    return *last;
}

} // namespace velko::rtf
