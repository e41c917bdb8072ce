#include "rtf/formatwords.h"

#include "rtf/reader/codepages.h"
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

bool isSymbolFontName(QStringView family)
{
    QString written = family.toString();
    written.removeIf([](QChar c) { return c.unicode() < 0x20 || c == u';'; });
    return written.trimmed().compare(u"Symbol", Qt::CaseInsensitive) == 0;
}

void appendSymbolFontText(QByteArray& out, QStringView text,
                          void (*escape)(QByteArray&, QStringView))
{
    qsizetype done = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x20 || c >= 0x7F || reader::symbolFontCharacter(uchar(c)) == c)
            continue;
        escape(out, text.sliced(done, i - done));
        out += "\\u" + QByteArray::number(int(c)) + '?';
        done = i + 1;
    }
    escape(out, text.sliced(done));
}

} // namespace velko::rtf
