#include "rtf/grammar/rtftokenizer.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>

namespace velko::rtf {

namespace {

// Bytes that end a run of text: the three that make structure, and line ends
// and NULs, which are not text in RTF.
constexpr std::array<bool, 256> makeTextStops()
{
    std::array<bool, 256> stops{};
    stops['{'] = stops['}'] = stops['\\'] = stops['\r'] = stops['\n'] = stops['\0'] = true;
    return stops;
}

constexpr std::array<bool, 256> kTextStops = makeTextStops();

// The bytes that can make structure; everything else is skipped in bulk.
constexpr std::array<bool, 256> makeStructure()
{
    std::array<bool, 256> marks{};
    marks['{'] = marks['}'] = marks['\\'] = true;
    return marks;
}

constexpr std::array<bool, 256> kStructure = makeStructure();

bool isTextByte(char c)
{
    return !kTextStops[static_cast<unsigned char>(c)];
}

bool isLetter(char c)
{
    return static_cast<unsigned char>((c | 0x20) - 'a') < 26;
}

bool isDigit(char c)
{
    return static_cast<unsigned char>(c - '0') < 10;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads what follows a backslash, from `pos` just past it to just past what
// belongs to it. Inlined into both readers below: a call per control word made
// the structure check a sixth slower.
Q_ALWAYS_INLINE RtfToken readControl(const char* data, qsizetype size, qsizetype& pos)
{
    RtfToken token;
    if (pos >= size)
        return token; // a lone backslash at the end: nothing more to read
    const char c = data[pos++];
    if (!isLetter(c)) {
        if (c == '\'') {
            const int high = pos < size ? hexValue(data[pos]) : -1;
            const int low = pos + 1 < size ? hexValue(data[pos + 1]) : -1;
            if (high >= 0 && low >= 0) {
                pos += 2;
                token.type = RtfToken::Type::HexByte;
                token.parameter = high * 16 + low;
                return token;
            }
            // A broken escape: its digits go with it, and the builder ignores
            // the lone quote symbol.
            for (int i = 0;
                 i < 2 && pos < size && data[pos] != '\\' && data[pos] != '{' && data[pos] != '}';
                 ++i)
                ++pos;
            token.type = RtfToken::Type::ControlSymbol;
            token.symbol = c;
            return token;
        }
        if (c == '\r' || c == '\n') {
            token.type = RtfToken::Type::ControlWord; // "\<newline>" means \par
            token.name = "par";
            return token;
        }
        token.type = RtfToken::Type::ControlSymbol;
        token.symbol = c;
        return token;
    }

    const qsizetype start = pos - 1;
    while (pos < size && isLetter(data[pos]))
        ++pos;
    token.type = RtfToken::Type::ControlWord;
    token.name = QByteArrayView(data + start, pos - start);

    bool negative = false;
    if (pos + 1 < size && data[pos] == '-' && isDigit(data[pos + 1])) {
        negative = true;
        ++pos;
    }
    if (pos < size && isDigit(data[pos])) {
        long long value = 0;
        do {
            if (value <= INT_MAX)
                value = value * 10 + (data[pos] - '0');
            ++pos;
        } while (pos < size && isDigit(data[pos]));
        if (negative)
            value = -value;
        token.parameter = int(std::clamp<long long>(value, INT_MIN, INT_MAX));
        token.hasParameter = true;
    }
    if (pos < size && data[pos] == ' ')
        ++pos; // the delimiting space belongs to the control word

    if (token.name.size() == 3 && std::memcmp(token.name.data(), "bin", 3) == 0) {
        const qsizetype count = token.parameter > 0 ? token.parameter : 0;
        const qsizetype available = qMin(count, size - pos);
        token.type = RtfToken::Type::Binary;
        token.name = QByteArrayView(data + pos, available);
        pos += available;
    }
    return token;
}

} // namespace

// Both readers work on a local copy of the position and store it once: the
// input is bytes, which the compiler must assume may alias the member.
RtfToken RtfTokenizer::next()
{
    RtfToken token;
    const qsizetype size = m_data.size();
    const char* const data = m_data.data();
    qsizetype pos = m_pos;
    while (pos < size) {
        const char c = data[pos];
        if (isTextByte(c)) {
            const qsizetype start = pos;
            do
                ++pos;
            while (pos < size && isTextByte(data[pos]));
            token.type = RtfToken::Type::Text;
            token.name = QByteArrayView(data + start, pos - start);
            m_pos = pos;
            return token;
        }
        switch (c) {
        case '{':
            token.type = RtfToken::Type::GroupOpen;
            m_pos = pos + 1;
            return token;
        case '}':
            token.type = RtfToken::Type::GroupClose;
            m_pos = pos + 1;
            return token;
        case '\\': {
            ++pos;
            const RtfToken control = readControl(data, size, pos);
            m_pos = pos;
            return control;
        }
        default:
            ++pos; // a line end or a NUL: dropped
            break;
        }
    }
    m_pos = pos;
    return token;
}

int RtfTokenizer::skipGroup(int maxDepth)
{
    const qsizetype size = m_data.size();
    const char* const data = m_data.data();
    qsizetype pos = m_pos;
    int depth = 1;
    while (pos < size) {
        while (!kStructure[static_cast<unsigned char>(data[pos])]) {
            if (++pos == size) {
                m_pos = pos;
                return depth;
            }
        }
        const char c = data[pos++];
        if (c == '{') {
            if (++depth > maxDepth)
                break;
        } else if (c == '}') {
            if (--depth == 0)
                break;
        } else {
            readControl(data, size, pos);
        }
    }
    m_pos = pos;
    return depth;
}

} // namespace velko::rtf
