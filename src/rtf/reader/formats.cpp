#include "rtf/reader/formats.h"

#include "rtf/reader/fields.h"
#include "rtf/reader/fontsandcolors.h"

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

} // namespace

size_t qHash(const CharState& state, size_t seed)
{
    return qHashMulti(seed, state.font, state.halfPoints, state.bold, state.italic, state.underline,
                      state.strike, state.foreground, state.background, state.verticalAlignment,
                      state.link);
}

bool applyFormatWord(Word word, const RtfToken& token, CharState& chars, ParaState& para)
{
    const int value = token.parameter;
    switch (word) {
    case Word::Plain: {
        const int link = chars.link;
        chars = CharState{};
        chars.link = link;
        return true;
    }
    case Word::Font:
        chars.font = value;
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
        chars.underline = flag(token);
        return true;
    case Word::UnderlineNone:
        chars.underline = false;
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
        para.list = qBound(0, value, kLegacyListBase - 1);
        return true;
    case Word::ListLevelNumber:
        para.listLevel = qBound(0, value, 8);
        return true;
    case Word::OutlineLevel:
        para.outlineLevel = qBound(-1, value, 9);
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
    if (const QString family = fonts.family(state.font); !family.isEmpty())
        format.setFontFamilies({family});
    format.setFontPointSize(state.halfPoints / 2.0);
    if (state.bold)
        format.setFontWeight(QFont::Bold);
    if (state.italic)
        format.setFontItalic(true);
    if (state.underline)
        format.setFontUnderline(true);
    if (state.strike)
        format.setFontStrikeOut(true);
    if (const QColor foreground = colors.color(state.foreground); foreground.isValid())
        format.setForeground(foreground);
    if (const QColor background = colors.color(state.background); background.isValid())
        format.setBackground(background);
    if (state.verticalAlignment == 1)
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (state.verticalAlignment == 2)
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (state.link > 0) {
        format.setAnchor(true);
        format.setAnchorHref(fields.link(state.link));
    }
    return format;
}

QTextBlockFormat blockFormat(const ParaState& state, qreal indentWidth)
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
    const int listLevels = state.list > 0 ? state.listLevel + 1 : 0;
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
    return format;
}

} // namespace velko::rtf::reader
