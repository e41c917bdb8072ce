#include "rtf/reader/styles.h"

#include "rtf/reader/fontsandcolors.h"

namespace velko::rtf::reader {

namespace {

// Bounds for hostile input: words kept in all styles, and styles based on styles.
constexpr qsizetype kMaxSteps = 1 << 18;
constexpr int kMaxBaseDepth = 16;

} // namespace

void StyleSheet::beginEntry()
{
    m_entry = Style{};
    m_index = 0;
    m_character = false;
    m_name.clear();
    m_nameEnded = false;
}

void StyleSheet::word(const WordEntry& entry, const RtfToken& token)
{
    switch (entry.word) {
    case Word::Style:
        m_index = token.parameter;
        break;
    case Word::CharStyle:
        m_index = token.parameter;
        m_character = true;
        break;
    case Word::BasedOn:
        m_entry.basedOn = token.parameter;
        break;
    default:
        if (m_steps < kMaxSteps) {
            m_entry.steps.append(Step{&entry, token.parameter, token.hasParameter});
            ++m_steps;
        }
        break;
    }
}

void StyleSheet::text(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (c == ';')
            m_nameEnded = true;
        else if (!m_nameEnded && m_name.size() < 256)
            m_name += c;
    }
}

void StyleSheet::endEntry()
{
    QHash<int, Style>& styles = m_character ? m_characterStyles : m_paragraphStyles;
    if (styles.size() >= kMaxTableEntries)
        return;
    const QByteArray name = m_name.trimmed().toLower();
    if (!m_character && name.startsWith("heading ") && name.size() == 9 && name.at(8) >= '1' &&
        name.at(8) <= '9') {
        // As if the style said so first, so that its own \outlinelevel wins.
        static const WordEntry* const outline = lookupWord("outlinelevel");
        m_entry.steps.prepend(Step{outline, name.at(8) - '1', true});
    }
    if (m_entry.basedOn == m_index)
        m_entry.basedOn = -1;
    styles.insert(m_index, m_entry);
}

// The words of a style and of the styles it is based on, the deepest first.
void StyleSheet::replay(QHash<int, Style>& styles, int index, CharState& chars, ParaState& para,
                        int depth) const
{
    const auto found = styles.constFind(index);
    if (found == styles.cend())
        return;
    if (found->basedOn >= 0 && depth < kMaxBaseDepth)
        replay(styles, found->basedOn, chars, para, depth + 1);
    RtfToken token;
    token.type = RtfToken::Type::ControlWord;
    for (const Step& step : found->steps) {
        token.parameter = step.parameter;
        token.hasParameter = step.hasParameter;
        applyFormatWord(*step.entry, token, chars, para);
    }
}

const StyleSheet::Style* StyleSheet::resolved(int index)
{
    const auto found = m_paragraphStyles.find(index);
    if (found == m_paragraphStyles.end())
        return nullptr;
    if (!found->resolved) {
        CharState chars;
        ParaState para;
        replay(m_paragraphStyles, index, chars, para, 0);
        found->chars = chars;
        found->para = para;
        found->resolved = true;
    }
    return &*found;
}

void StyleSheet::apply(int style, CharState& chars, ParaState& para)
{
    const Style* found = resolved(style);
    if (!found)
        return;
    const ParaState own = para;
    para = found->para;
    para.inTable = own.inTable;
    para.nesting = own.nesting;
    if (own.list >= 0)
        para.list = own.list;
    if (own.list >= 0 || own.listLevel != 0) // \ilvl may come before \s
        para.listLevel = own.listLevel;
    if (own.legacyList != -1)
        para.legacyList = own.legacyList;
    // Character properties the text set before stay (they outlast \pard);
    // after \plain, or with none set, the style's apply.
    CharState plain;
    plain.link = chars.link;
    if (chars == plain) {
        chars = found->chars;
        chars.link = plain.link;
    }
}

void StyleSheet::applyCharacterStyle(int style, CharState& chars)
{
    ParaState unused;
    replay(m_characterStyles, style, chars, unused, 0);
}

} // namespace velko::rtf::reader
