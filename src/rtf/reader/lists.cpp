#include "rtf/reader/lists.h"

#include <QTextCursor>
#include <QTextList>

namespace velko::rtf::reader {

namespace {

// Bounds for hostile input: lists, levels of a list, and characters of a level text.
constexpr qsizetype kMaxLists = 4096;
constexpr qsizetype kMaxLevels = 9;
constexpr qsizetype kMaxLevelText = 64;

QTextListFormat::Style styleFor(int numberFormat, QStringView levelText)
{
    switch (numberFormat) {
    case 0:
        return QTextListFormat::ListDecimal;
    case 1:
        return QTextListFormat::ListUpperRoman;
    case 2:
        return QTextListFormat::ListLowerRoman;
    case 3:
        return QTextListFormat::ListUpperAlpha;
    case 4:
        return QTextListFormat::ListLowerAlpha;
    case 23:
    case 255: {
        const QChar bullet = levelText.size() > 1 ? levelText.at(1) : QChar();
        if (bullet == u'\u25E6' || bullet == u'o')
            return QTextListFormat::ListCircle;
        if (bullet == u'\u25AA' || bullet == u'\u25A0' || bullet == QChar(0xA7))
            return QTextListFormat::ListSquare;
        return QTextListFormat::ListDisc;
    }
    default:
        return QTextListFormat::ListDecimal;
    }
}

// A level whose label is empty: its text's length is 0, or it has no number
// (\levelnfc255) and nothing but spaces around the placeholders.
bool showsNothing(const ListTables::Level& level)
{
    if (level.text.isEmpty())
        return false; // no level text: the format alone decides
    const qsizetype length = level.text.at(0).unicode();
    if (length == 0)
        return true;
    if (level.numberFormat != 255)
        return false;
    for (const QChar c :
         QStringView(level.text).sliced(1).first(qMin(length, level.text.size() - 1))) {
        if (c.unicode() >= 9 && !c.isSpace() && c != u';')
            return false;
    }
    return true;
}

} // namespace

void ListTables::listTableWord(Word word, int value)
{
    if (word == Word::List) {
        if (m_definitions.size() < kMaxLists)
            m_definitions.append(Definition{});
    } else if (word == Word::ListLevel) {
        if (!m_definitions.isEmpty() && m_definitions.last().levels.size() < kMaxLevels)
            m_definitions.last().levels.append(Level{});
    } else if (word == Word::LevelNumberFormat) {
        if (!m_definitions.isEmpty() && !m_definitions.last().levels.isEmpty())
            m_definitions.last().levels.last().numberFormat = value;
    } else if (word == Word::ListId) {
        if (!m_definitions.isEmpty())
            m_definitions.last().id = value;
    }
}

bool ListTables::beginLevelText()
{
    if (m_definitions.isEmpty() || m_definitions.last().levels.isEmpty())
        return false;
    m_definitions.last().levels.last().text.clear();
    return true;
}

void ListTables::levelTextCharacter(char16_t c)
{
    // A level text outside a list definition or its levels has no owner.
    if (!m_definitions.isEmpty() && !m_definitions.last().levels.isEmpty() &&
        m_definitions.last().levels.last().text.size() < kMaxLevelText)
        m_definitions.last().levels.last().text += QChar(c);
}

void ListTables::overrideTableWord(Word word, int value)
{
    if (word == Word::ListOverride)
        m_overrideListId = 0;
    else if (word == Word::ListId)
        m_overrideListId = value;
    else if (word == Word::ListNumber && m_overrides.size() < kMaxLists)
        m_overrides.insert(value, m_overrideListId);
}

void ListTables::beginLegacy()
{
    m_legacyFormat = 0;
    m_legacyLevel = 0;
}

void ListTables::legacyWord(const WordEntry& entry, int value)
{
    if (entry.word == Word::LegacyBullet)
        m_legacyFormat = 23;
    else if (entry.word == Word::LegacyLevel)
        m_legacyLevel = qBound(0, value - 1, 8);
    else if (entry.word == Word::LegacyFormat)
        m_legacyFormat = entry.character;
}

void ListTables::paragraph(const ParaState& state)
{
    if (state.list < kLegacyListBase)
        ++m_legacyRun;
}

QTextList* ListTables::listFor(const ParaState& state, QTextCursor& cursor)
{
    const bool legacy = state.list >= kLegacyListBase;
    const quint64 key = (quint64(uint(state.list)) << 32) |
                        (legacy ? quint64(m_legacyRun & 0xFFFFFF) << 8 : 0) | uint(state.listLevel);
    if (const auto found = m_lists.constFind(key);
        found != m_lists.cend() && (found->none || found->list))
        return found->list;
    if (m_lists.size() >= kMaxLists)
        return nullptr; // enough lists for any real document
    QTextListFormat format;
    format.setStyle(QTextListFormat::ListDisc);
    format.setIndent(state.listLevel + 1);
    if (legacy)
        format.setStyle(styleFor(state.list - kLegacyListBase, {}));
    const int id = legacy ? -1 : m_overrides.value(state.list, state.list);
    for (const Definition& definition : std::as_const(m_definitions)) {
        if (definition.id != id || definition.levels.isEmpty())
            continue;
        const Level& level =
            definition.levels.at(qMin<qsizetype>(state.listLevel, definition.levels.size() - 1));
        if (showsNothing(level)) {
            // An outline level without numbering, or an empty label: no list to show.
            m_lists.insert(key, Made{nullptr, true});
            return nullptr;
        }
        format.setStyle(styleFor(level.numberFormat, level.text));
        if (format.style() <= QTextListFormat::ListDecimal && level.text.size() > 1) {
            // Level text: a length, then text around one placeholder (a byte below 9).
            // The length counts characters, so bytes of a legacy code page decode first.
            const qsizetype length = level.text.at(0).unicode();
            QStringView text = QStringView(level.text).sliced(1);
            text = text.first(qMin(
                text.size(), qsizetype(text.indexOf(u';') < 0 ? text.size() : text.indexOf(u';'))));
            qsizetype placeholder = -1;
            int placeholders = 0;
            for (qsizetype i = 0; i < text.size(); ++i) {
                if (text.at(i).unicode() < 9) {
                    placeholder = i;
                    ++placeholders;
                }
            }
            if (placeholders == 1) {
                const QString prefix = levelTextPart(text.first(placeholder)).left(length);
                const QString suffix = levelTextPart(text.sliced(placeholder + 1))
                                           .left(qMax<qsizetype>(0, length - prefix.size() - 1));
                if (!prefix.isEmpty())
                    format.setNumberPrefix(prefix);
                if (suffix != QLatin1String("."))
                    format.setNumberSuffix(suffix);
            }
        }
        break;
    }
    QTextList* list = cursor.createList(format);
    m_lists.insert(key, Made{list, false});
    return list;
}

// Level text arrives byte by byte; bytes of a legacy code page decode here.
QString ListTables::levelTextPart(QStringView part)
{
    bool bytes = true;
    bool ascii = true;
    for (const QChar c : part) {
        bytes = bytes && c.unicode() <= 0xFF;
        ascii = ascii && c.unicode() < 0x80;
    }
    if (!bytes || ascii)
        return part.toString();
    return m_codePages.decode(m_codePages.document(), part.toLatin1());
}

} // namespace velko::rtf::reader
