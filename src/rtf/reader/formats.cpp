#include "rtf/reader/formats.h"

#include "rtf/reader/fields.h"
#include "rtf/reader/fontsandcolors.h"
#include "rtf/textproperties.h"

#include <algorithm>

namespace velko::rtf::reader {

namespace {

// A toggle word: \b and \b1 turn it on, \b0 off.
bool flag(const RtfToken& token)
{
    return !token.hasParameter || token.parameter != 0;
}

int twipsParameter(const RtfToken& token)
{
    return qBound(-1000000, token.parameter, 1000000);
}

// Tab positions a paragraph may hold; more are dropped.
constexpr qsizetype kMaxTabs = 64;

QTextOption::TabType tabType(quint8 kind)
{
    switch (kind) {
    case 1:
        return QTextOption::RightTab;
    case 2:
        return QTextOption::CenterTab;
    case 3:
        return QTextOption::DelimiterTab;
    default:
        return QTextOption::LeftTab;
    }
}

} // namespace

size_t qHash(const CharState& state, size_t seed)
{
    return qHashMulti(seed, state.font, state.halfPoints, state.bold, state.italic, state.underline,
                      state.strike, state.foreground, state.background, state.verticalAlignment,
                      state.link, state.bytesFont());
}

bool applyFormatWord(const WordEntry& entry, const RtfToken& token, CharState& chars,
                     ParaState& para)
{
    const int value = token.parameter;
    const Word word = entry.word;
    switch (word) {
    case Word::Plain: {
        const int link = chars.link;
        chars = CharState{};
        chars.link = link;
        return true;
    }
    case Word::Font:
        chars.font = value;
        if (chars.runKind > 0)
            chars.runFonts[chars.runKind - 1] = value;
        return true;
    case Word::AssociatedFont:
        if (chars.runKind > 0)
            chars.runFonts[chars.runKind - 1] = value;
        return true;
    case Word::RunKind:
        chars.runKind = quint8(entry.character);
        return true;
    case Word::FontSize:
        chars.halfPoints = value > 0 ? qBound(2, value, 3276) : 24;
        return true;
    case Word::Bold:
        chars.bold = flag(token);
        return true;
    case Word::Italic:
        chars.italic = flag(token);
        return true;
    case Word::Underline:
        chars.underline = flag(token) ? quint8(entry.character) : 0;
        return true;
    case Word::Strike:
        chars.strike = flag(token);
        return true;
    case Word::Foreground:
        chars.foreground = value;
        return true;
    case Word::Background:
        chars.background = value;
        return true;
    case Word::Super:
        chars.verticalAlignment = 1;
        return true;
    case Word::Sub:
        chars.verticalAlignment = 2;
        return true;
    case Word::NoSuperSub:
        chars.verticalAlignment = 0;
        return true;
    case Word::Raise:
    case Word::Lower:
        chars.verticalAlignment =
            !token.hasParameter || value > 0 ? (word == Word::Raise ? 1 : 2) : 0;
        return true;
    case Word::Hidden:
        chars.hidden = flag(token);
        return true;
    case Word::Pard:
        para = ParaState{};
        return true;
    case Word::AlignLeft:
        para.alignment = 0;
        return true;
    case Word::AlignCentre:
        para.alignment = 1;
        return true;
    case Word::AlignRight:
        para.alignment = 2;
        return true;
    case Word::AlignJustify:
        para.alignment = 3;
        return true;
    case Word::LeftIndent:
        para.left = twipsParameter(token);
        return true;
    case Word::RightIndent:
        para.right = twipsParameter(token);
        return true;
    case Word::FirstIndent:
        para.firstLine = twipsParameter(token);
        return true;
    case Word::SpaceBefore:
        para.before = twipsParameter(token);
        return true;
    case Word::SpaceAfter:
        para.after = twipsParameter(token);
        return true;
    case Word::LineSpacing:
        para.lineSpacing = twipsParameter(token);
        return true;
    case Word::LineMultiple:
        para.lineMultiple = flag(token);
        return true;
    case Word::IndentLevels:
        para.indentLevels = qBound(0, value, 100);
        return true;
    case Word::ListNumber:
        para.list = value >= 0 ? value : -1;
        return true;
    case Word::ListLevelNumber:
        para.listLevel = qBound(0, value, 8);
        return true;
    case Word::OutlineLevel:
        para.outlineLevel = qBound(-1, value, 9);
        return true;
    case Word::TabPosition:
        if (para.tabs.size() < kMaxTabs) {
            para.nextTab.position = twipsParameter(token);
            para.tabs.append(para.nextTab);
        }
        para.nextTab = TabStop{};
        return true;
    case Word::TabKind:
        para.nextTab.kind = quint8(entry.character);
        return true;
    case Word::TabLeader:
        para.nextTab.leader = entry.character;
        return true;
    case Word::Direction:
        para.rightToLeft = entry.character == 1;
        return true;
    case Word::InTable:
        para.inTable = true;
        return true;
    case Word::Nesting:
        para.nesting = qBound(0, value, kMaxTableDepth);
        return true;
    case Word::PageBreakBefore:
        para.pageBreakBefore = flag(token);
        return true;
    default:
        return false;
    }
}

QTextCharFormat charFormat(const CharState& state, const FontTable& fonts, const ColorTable& colors,
                           const Fields& fields)
{
    QTextCharFormat format;
    if (const QStringList families = fonts.families(state.font); !families.isEmpty())
        format.setFontFamilies(families);
    format.setFontPointSize(state.halfPoints / 2.0);
    if (state.bold)
        format.setFontWeight(QFont::Bold);
    if (state.italic)
        format.setFontItalic(true);
    if (state.underline > 0 && state.underline < kUnderlineKindCount) {
        const UnderlineKind& kind = kUnderlineKinds[state.underline];
        format.setProperty(QTextFormat::TextUnderlineStyle, int(kind.style));
        if (state.underline >= kFirstKeptUnderline)
            format.setProperty(kUnderlineWord, QByteArray(kind.word));
    }
    if (state.strike)
        format.setFontStrikeOut(true);
    if (const QColor foreground = colors.color(state.foreground); foreground.isValid())
        format.setForeground(colors.brush(state.foreground));
    if (const QColor background = colors.color(state.background); background.isValid())
        format.setBackground(colors.brush(state.background));
    if (state.verticalAlignment == 1)
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (state.verticalAlignment == 2)
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (state.link > 0) {
        if (const Fields::Result& result = fields.result(state.link); !result.href.isEmpty()) {
            format.setAnchor(true);
            format.setAnchorHref(result.href);
        } else {
            format.setProperty(kFieldInstruction, result.instruction);
            format.setProperty(kFieldNumber, state.link);
        }
    }
    return format;
}

namespace {

// Tab positions in order, with their leaders as a property when there are any.
void setTabs(QTextBlockFormat& format, QList<TabStop> stops)
{
    std::stable_sort(stops.begin(), stops.end(),
                     [](const TabStop& a, const TabStop& b) { return a.position < b.position; });
    QList<QTextOption::Tab> tabs;
    QString leaders;
    bool led = false;
    for (const TabStop& stop : std::as_const(stops)) {
        const QTextOption::TabType type = tabType(stop.kind);
        tabs.append(QTextOption::Tab(stop.position / 20.0, type,
                                     type == QTextOption::DelimiterTab ? QChar(u'.') : QChar()));
        leaders += stop.leader != 0 ? QChar(stop.leader) : QChar(u' ');
        led = led || stop.leader != 0;
    }
    format.setTabPositions(tabs);
    if (led)
        format.setProperty(kTabLeaders, leaders);
}

} // namespace

QTextBlockFormat blockFormat(const ParaState& state, qreal indentWidth, bool inList)
{
    QTextBlockFormat format;
    switch (state.alignment) {
    case 1:
        format.setAlignment(Qt::AlignHCenter);
        break;
    case 2:
        format.setAlignment(Qt::AlignRight);
        break;
    case 3:
        format.setAlignment(Qt::AlignJustify);
        break;
    default:
        break;
    }
    const int listLevels = inList ? state.listLevel + 1 : 0;
    qreal left = state.left / 20.0 - (state.indentLevels + listLevels) * indentWidth;
    if (listLevels > 0 && left < 0)
        left = 0;
    if (left != 0)
        format.setLeftMargin(left);
    if (state.right != 0)
        format.setRightMargin(state.right / 20.0);
    if (state.firstLine != 0 && !(listLevels > 0 && state.firstLine < 0))
        format.setTextIndent(state.firstLine / 20.0);
    if (state.before != 0)
        format.setTopMargin(state.before / 20.0);
    if (state.after != 0)
        format.setBottomMargin(state.after / 20.0);
    if (state.lineSpacing != 0) {
        if (state.lineMultiple && state.lineSpacing > 0)
            format.setLineHeight(state.lineSpacing * 100.0 / 240,
                                 QTextBlockFormat::ProportionalHeight);
        else if (state.lineSpacing < 0)
            format.setLineHeight(-state.lineSpacing / 20.0, QTextBlockFormat::FixedHeight);
        else if (!state.lineMultiple)
            format.setLineHeight(state.lineSpacing / 20.0, QTextBlockFormat::MinimumHeight);
    }
    if (state.indentLevels > 0)
        format.setIndent(state.indentLevels);
    if (state.pageBreakBefore)
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    if (state.outlineLevel >= 0 && state.outlineLevel < 6)
        format.setHeadingLevel(state.outlineLevel + 1);
    if (state.rightToLeft)
        format.setLayoutDirection(Qt::RightToLeft);
    if (!state.tabs.isEmpty())
        setTabs(format, state.tabs);
    return format;
}

} // namespace velko::rtf::reader
