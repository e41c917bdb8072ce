#include "rtf/formatwords.h"

#include "rtf/textproperties.h"

#include <QTextFormat>

#include <cmath>

namespace velko::rtf {

namespace {

const char* leaderWord(QChar leader)
{
    switch (leader.unicode()) {
    case u'.':
        return "\\tldot";
    case u'm':
        return "\\tlmdot";
    case u'-':
        return "\\tlhyph";
    case u'_':
        return "\\tlul";
    case u't':
        return "\\tlth";
    case u'=':
        return "\\tleq";
    default:
        return "";
    }
}

} // namespace

int underlineKindOf(const QTextCharFormat& format)
{
    QTextCharFormat::UnderlineStyle style = format.underlineStyle();
    if (!format.hasProperty(QTextFormat::TextUnderlineStyle))
        style = format.fontUnderline() ? QTextCharFormat::SingleUnderline
                                       : QTextCharFormat::NoUnderline;
    if (style == QTextCharFormat::NoUnderline || style == QTextCharFormat::SpellCheckUnderline)
        return 0;
    const QByteArray kept = format.property(kUnderlineWord).toByteArray();
    int plain = 0;
    for (int kind = kUnderlineKindCount - 1; kind > 0; --kind) {
        if (kUnderlineKinds[kind].style != style)
            continue;
        if (!kept.isEmpty() && kept == kUnderlineKinds[kind].word)
            return kind;
        if (kind < kFirstKeptUnderline)
            plain = kind;
    }
    return plain;
}

void appendTabWords(QByteArray& out, const QTextBlockFormat& format)
{
    const QList<QTextOption::Tab> tabs = format.tabPositions();
    const QString leaders = format.stringProperty(kTabLeaders);
    for (qsizetype i = 0; i < tabs.size(); ++i) {
        const QTextOption::Tab& tab = tabs.at(i);
        switch (tab.type) {
        case QTextOption::RightTab:
            out += "\\tqr";
            break;
        case QTextOption::CenterTab:
            out += "\\tqc";
            break;
        case QTextOption::DelimiterTab:
            out += "\\tqdec";
            break;
        default:
            break;
        }
        out += leaderWord(i < leaders.size() ? leaders.at(i) : QChar());
        out += "\\tx" + QByteArray::number(std::lround(tab.position * 20));
    }
}

} // namespace velko::rtf
