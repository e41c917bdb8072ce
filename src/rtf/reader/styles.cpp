#include "rtf/reader/styles.h"

#include "rtf/reader/fontsandcolors.h"

namespace velko::rtf::reader {

void StyleSheet::beginEntry()
{
    m_entry = Style{};
    m_index = 0;
    m_name.clear();
    m_nameEnded = false;
}

void StyleSheet::word(Word word, const RtfToken& token)
{
    if (word == Word::Style)
        m_index = token.parameter;
    else
        applyFormatWord(word, token, m_entry.chars, m_entry.para);
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
    if (m_styles.size() >= kMaxTableEntries)
        return;
    const QByteArray name = m_name.trimmed().toLower();
    if (m_entry.para.outlineLevel < 0 && name.startsWith("heading ") && name.size() == 9 &&
        name.at(8) >= '1' && name.at(8) <= '9')
        m_entry.para.outlineLevel = name.at(8) - '1';
    m_styles.insert(m_index, m_entry);
}

void StyleSheet::apply(int style, CharState& chars, ParaState& para) const
{
    const auto found = m_styles.constFind(style);
    if (found == m_styles.cend())
        return;
    const ParaState own = para;
    para = found->para;
    para.inTable = own.inTable;
    para.nesting = own.nesting;
    if (own.list != 0) {
        para.list = own.list;
        para.listLevel = own.listLevel;
    }
    // Character properties the text set before stay (they outlast \pard);
    // after \plain, or with none set, the style's apply.
    CharState plain;
    plain.link = chars.link;
    if (chars == plain) {
        chars = found->chars;
        chars.link = plain.link;
    }
}

} // namespace velko::rtf::reader
