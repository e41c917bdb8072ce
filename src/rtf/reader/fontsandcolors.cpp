#include "rtf/reader/fontsandcolors.h"

#include "rtf/formatwords.h"

namespace velko::rtf::reader {

namespace {

// Longest font name kept, in bytes and in characters.
constexpr qsizetype kMaxFontName = 256;

} // namespace

void FontTable::controlWord(Word word, int value)
{
    if (word == Word::Font) {
        m_current = value;
    } else if (word == Word::Charset) {
        if (Entry* font = entry(m_current))
            font->codePage = codePageForCharset(value);
    } else if (word == Word::CodePage && value > 0) {
        if (Entry* font = entry(m_current))
            font->codePage = value;
    }
}

void FontTable::text(QByteArrayView bytes)
{
    Entry* font = entry(m_current);
    if (!font)
        return;
    for (const char c : bytes) {
        if (font->complete)
            return;
        if (c != ';') {
            if (font->name.size() < kMaxFontName)
                font->name += c;
            continue;
        }
        font->complete = true;
        decodeName(font);
        font->family = font->family.trimmed();
        // The writer's rule: its own font table names such a font "Symbol".
        font->symbolFont = isSymbolFontName(font->family);
    }
}

void FontTable::character(char16_t c)
{
    Entry* font = entry(m_current);
    if (!font || font->complete)
        return;
    decodeName(font);
    if (font->family.size() < kMaxFontName)
        font->family += QChar(c);
}

void FontTable::closeGroup()
{
    const auto font = m_fonts.constFind(m_current);
    if (font != m_fonts.cend() && !font->complete &&
        !(font->name.isEmpty() && font->family.isEmpty()))
        text(";");
}

QString FontTable::family(int font) const
{
    const auto found = m_fonts.constFind(font >= 0 ? font : m_defaultFont);
    return found != m_fonts.cend() ? found->family : QString();
}

QStringList FontTable::families(int font) const
{
    const QString name = family(font);
    if (name.isEmpty())
        return {};
    auto list = m_familyLists.find(name);
    if (list == m_familyLists.end())
        list = m_familyLists.insert(name, QStringList{name});
    return *list;
}

int FontTable::codePage(int font) const
{
    const auto found = m_fonts.constFind(font >= 0 ? font : m_defaultFont);
    if (found != m_fonts.cend() && found->symbolFont)
        return kSymbolFontCodePage;
    if (found != m_fonts.cend() && found->codePage != 0)
        return found->codePage;
    return m_codePages.document();
}

FontTable::Entry* FontTable::entry(int font)
{
    if (m_fonts.size() >= kMaxTableEntries && !m_fonts.contains(font))
        return nullptr;
    return &m_fonts[font];
}

// Bytes of a name decode together, so a multi-byte character is whole. A
// symbol font's name is in the document's code page.
void FontTable::decodeName(Entry* font)
{
    if (font->name.isEmpty())
        return;
    const int codePage = font->codePage > 0 ? font->codePage : m_codePages.document();
    font->family += m_codePages.decode(codePage, font->name);
    font->name.clear();
}

void ColorTable::controlWord(Word word, int value)
{
    if (word != Word::Red && word != Word::Green && word != Word::Blue)
        return;
    const int component = qBound(0, value, 255);
    (word == Word::Red ? m_red : word == Word::Green ? m_green : m_blue) = component;
    m_set = true;
}

void ColorTable::text(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (c != ';' || m_colors.size() >= kMaxTableEntries)
            continue;
        m_colors.append(m_set ? QColor(m_red, m_green, m_blue) : QColor());
        m_brushes.append(m_set ? QBrush(m_colors.last()) : QBrush());
        m_red = m_green = m_blue = 0;
        m_set = false;
    }
}

QColor ColorTable::color(int index) const
{
    return index >= 0 && index < m_colors.size() ? m_colors.at(index) : QColor();
}

QBrush ColorTable::brush(int index) const
{
    return index >= 0 && index < m_brushes.size() ? m_brushes.at(index) : QBrush();
}

} // namespace velko::rtf::reader
