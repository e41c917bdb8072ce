#include "rtf/reader/lists.h"

#include "rtf/listnumbers.h"
#include "rtf/textproperties.h"

#include <QTextCursor>
#include <QTextList>

namespace velko::rtf::reader {

namespace {

// Bounds for hostile input: lists, and characters of a level text.
constexpr qsizetype kMaxLists = 4096;
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
    if (level.text.at(0).unicode() == 0)
        return true;
    if (level.numberFormat != 255)
        return false;
    for (const QChar c : QStringView(level.text).sliced(1)) {
        if (c == u';')
            break;
        if (c.unicode() >= 9 && !c.isSpace())
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
        m_indexedDefinitions = -1;
        return;
    }
    if (m_definitions.isEmpty())
        return;
    QList<Level>& levels = m_definitions.last().levels;
    if (word == Word::ListLevel) {
        if (levels.size() < kLevels)
            levels.append(Level{});
    } else if (word == Word::ListId) {
        m_definitions.last().id = value;
        m_indexedDefinitions = -1;
    } else if (!levels.isEmpty() && word == Word::LevelNumberFormat) {
        levels.last().numberFormat = value;
    } else if (!levels.isEmpty() && word == Word::LevelStart) {
        levels.last().start = qBound(0, value, 32767);
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
    switch (word) {
    case Word::ListOverride:
        m_override = Override{};
        m_overrideList = -1;
        m_overrideLevel = -1;
        return;
    case Word::ListId:
        m_override.listId = value;
        break;
    case Word::OverrideLevel:
        m_overrideLevel = qMin(m_overrideLevel + 1, kLevels - 1);
        return;
    case Word::LevelStart:
        m_override.starts[qMax(0, m_overrideLevel)] = qBound(0, value, 32767);
        break;
    case Word::ListNumber:
        m_overrideList = value;
        break;
    default:
        return;
    }
    // The override holds what was read so far; its \ls may come first or last.
    if (m_overrideList >= 0 &&
        (m_overrides.size() < kMaxLists || m_overrides.contains(m_overrideList)))
        m_overrides.insert(m_overrideList, m_override);
}

void ListTables::beginLegacy()
{
    m_legacyFormat = 0;
    m_legacyLevel = 0;
    m_legacyStart = 1;
    m_legacyContinues = false;
}

void ListTables::legacyWord(const WordEntry& entry, int value)
{
    if (entry.word == Word::LegacyBullet)
        m_legacyFormat = 23;
    else if (entry.word == Word::LegacyLevel)
        m_legacyLevel = qBound(0, value - 1, 8);
    else if (entry.word == Word::LegacyFormat)
        m_legacyFormat = entry.character;
    else if (entry.word == Word::LegacyStart)
        m_legacyStart = qBound(0, value, 32767);
    else if (entry.word == Word::LegacyContinue)
        m_legacyContinues = true;
}

void ListTables::paragraph(const ParaState& state)
{
    if (state.legacyList < 0)
        ++m_legacyRun;
}

bool ListTables::isItem(const ParaState& state)
{
    if (state.legacyList == kLegacyContinues)
        return false;
    if (state.list >= 0) {
        if (const Definition* found = definition(state.list))
            return !showsNothing(levelOf(*found, state.listLevel));
    }
    return state.legacyList >= 0;
}

QTextList* ListTables::listFor(const ParaState& state, QTextCursor& cursor)
{
    if (state.list >= 0) {
        if (const Definition* found = definition(state.list))
            return item(state, *found, cursor);
    }
    return state.legacyList >= 0 ? legacyItem(state, cursor) : nullptr;
}

ListTables::Level ListTables::levelOf(const Definition& definition, int level)
{
    if (definition.levels.isEmpty()) {
        Level bullet;
        bullet.numberFormat = 23;
        return bullet;
    }
    return definition.levels.at(qMin<qsizetype>(level, definition.levels.size() - 1));
}

// The definition an \ls names through its override (or directly by \listid).
const ListTables::Definition* ListTables::definition(int list)
{
    if (m_indexedDefinitions != m_definitions.size()) {
        m_definitionIndex.clear();
        for (qsizetype i = m_definitions.size() - 1; i >= 0; --i) {
            const auto known = m_definitionIndex.constFind(m_definitions.at(i).id);
            if (known == m_definitionIndex.cend() || !m_definitions.at(i).levels.isEmpty())
                m_definitionIndex.insert(m_definitions.at(i).id, i);
        }
        m_indexedDefinitions = m_definitions.size();
    }
    const auto override = m_overrides.constFind(list);
    const int id = override != m_overrides.cend() ? override->listId : list;
    const auto found = m_definitionIndex.constFind(id);
    return found != m_definitionIndex.cend() ? &m_definitions.at(*found) : nullptr;
}

QTextList* ListTables::item(const ParaState& state, const Definition& definition,
                            QTextCursor& cursor)
{
    const int levelNumber = state.listLevel;
    const Level level = levelOf(definition, levelNumber);
    Instance& instance = m_instances[state.list];
    for (int deeper = levelNumber + 1; deeper < kLevels; ++deeper)
        instance.lists[deeper] = nullptr; // an item ends the runs of the levels below it
    if (QTextList* list = instance.lists[levelNumber]) {
        ++instance.numbers[levelNumber];
        return list;
    }
    if (m_made >= kMaxLists)
        return nullptr; // enough lists for any real document
    const auto override = m_overrides.constFind(state.list);
    int start = level.start;
    if (override != m_overrides.cend() && override->starts[levelNumber] >= 0)
        start = override->starts[levelNumber];

    QTextListFormat format;
    format.setStyle(styleFor(level.numberFormat, level.text));
    format.setIndent(levelNumber + 1);
    if (start != 1)
        format.setProperty(kListStart, start);
    if (isExtraNumberFormat(level.numberFormat))
        format.setProperty(kListNumberFormat, level.numberFormat);
    // Level text: text around placeholders (characters below 9) that stand
    // for the numbers of this level and the levels above it.
    const QString text = label(level);
    const QStringView label = text;
    qsizetype own = -1;
    for (qsizetype i = 0; i < label.size(); ++i) {
        if (label.at(i).unicode() < 9 && (own < 0 || label.at(i).unicode() == levelNumber))
            own = i;
    }
    if (format.style() <= QTextListFormat::ListDecimal && own >= 0) {
        const QString prefix = labelPart(label.first(own), definition, instance);
        const QString suffix = labelPart(label.sliced(own + 1), definition, instance);
        if (!prefix.isEmpty())
            format.setNumberPrefix(prefix);
        if (suffix != QLatin1String("."))
            format.setNumberSuffix(suffix);
    }
    QTextList* list = cursor.createList(format);
    ++m_made;
    instance.lists[levelNumber] = list;
    instance.numbers[levelNumber] = start;
    return list;
}

// Text of a label around its own number: placeholders of the levels above
// become their current numbers.
QString ListTables::labelPart(QStringView part, const Definition& definition,
                              const Instance& instance)
{
    QString out;
    qsizetype literal = 0;
    for (qsizetype i = 0; i <= part.size(); ++i) {
        if (i < part.size() && part.at(i).unicode() >= 9)
            continue;
        out += part.sliced(literal, i - literal);
        literal = i + 1;
        if (i == part.size())
            break;
        const int above = part.at(i).unicode();
        if (above >= definition.levels.size())
            continue;
        const Level& level = definition.levels.at(above);
        const int number = instance.lists[above] ? instance.numbers[above] : level.start;
        out += listNumberText(number, level.numberFormat);
    }
    return out;
}

QTextList* ListTables::legacyItem(const ParaState& state, QTextCursor& cursor)
{
    const quint64 key = (quint64(uint(state.legacyList)) << 32) |
                        quint64(m_legacyRun & 0xFFFFFF) << 8 | uint(state.listLevel);
    if (const auto found = m_legacyLists.constFind(key); found != m_legacyLists.cend() && *found)
        return *found;
    if (m_made >= kMaxLists)
        return nullptr;
    QTextListFormat format;
    format.setStyle(styleFor(state.legacyList, {}));
    format.setIndent(state.listLevel + 1);
    if (m_legacyStart != 1 && format.style() <= QTextListFormat::ListDecimal)
        format.setProperty(kListStart, m_legacyStart);
    QTextList* list = cursor.createList(format);
    ++m_made;
    m_legacyLists.insert(key, list);
    return list;
}

// A level's text without its length: the characters the length counts, up to
// a ';', with the placeholders as they are.
QString ListTables::label(const Level& level)
{
    if (level.text.isEmpty())
        return QString();
    const QStringView text = QStringView(level.text).sliced(1);
    QString out;
    qsizetype literal = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text.at(i).unicode() >= 9)
            continue;
        out += levelTextPart(text.sliced(literal, i - literal));
        if (i < text.size())
            out += text.at(i);
        literal = i + 1;
    }
    out.truncate(level.text.at(0).unicode()); // the length counts characters, not bytes
    const qsizetype end = out.indexOf(u';');
    return end < 0 ? out : out.first(end);
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
