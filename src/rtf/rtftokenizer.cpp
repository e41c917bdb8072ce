#include "rtf/rtftokenizer.h"

#include <climits>

namespace velko::rtf {

namespace {

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
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

} // namespace

RtfToken RtfTokenizer::next()
{
    RtfToken token;
    const qsizetype size = m_data.size();
    const char* data = m_data.data();
    while (m_pos < size) {
        const char c = data[m_pos];
        if (c == '{') {
            ++m_pos;
            token.type = RtfToken::Type::GroupOpen;
            return token;
        }
        if (c == '}') {
            ++m_pos;
            token.type = RtfToken::Type::GroupClose;
            return token;
        }
        if (c == '\\')
            return readControl();
        if (c == '\r' || c == '\n' || c == '\0') {
            ++m_pos; // line ends are not text in RTF; NUL bytes are dropped
            continue;
        }
        const qsizetype start = m_pos;
        while (m_pos < size) {
            const char d = data[m_pos];
            if (d == '{' || d == '}' || d == '\\' || d == '\r' || d == '\n' || d == '\0')
                break;
            ++m_pos;
        }
        token.type = RtfToken::Type::Text;
        token.name = m_data.sliced(start, m_pos - start);
        return token;
    }
    return token;
}

RtfToken RtfTokenizer::readControl()
{
    RtfToken token;
    const qsizetype size = m_data.size();
    const char* data = m_data.data();
    ++m_pos; // the backslash
    if (m_pos >= size) {
        return token; // a lone backslash at the end: nothing more to read
    }
    const char c = data[m_pos];
    if (!isLetter(c)) {
        ++m_pos;
        if (c == '\'') {
            const int high = m_pos < size ? hexValue(data[m_pos]) : -1;
            const int low = m_pos + 1 < size ? hexValue(data[m_pos + 1]) : -1;
            if (high >= 0 && low >= 0) {
                m_pos += 2;
                token.type = RtfToken::Type::HexByte;
                token.parameter = high * 16 + low;
                return token;
            }
            // A broken escape: its digits go with it, and the builder ignores
            // the lone quote symbol.
            for (int i = 0; i < 2 && m_pos < size && data[m_pos] != '\\' && data[m_pos] != '{' &&
                            data[m_pos] != '}';
                 ++i)
                ++m_pos;
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

    const qsizetype start = m_pos;
    while (m_pos < size && isLetter(data[m_pos]))
        ++m_pos;
    token.type = RtfToken::Type::ControlWord;
    token.name = m_data.sliced(start, m_pos - start);

    bool negative = false;
    if (m_pos + 1 < size && data[m_pos] == '-' && isDigit(data[m_pos + 1])) {
        negative = true;
        ++m_pos;
    }
    if (m_pos < size && isDigit(data[m_pos])) {
        long long value = 0;
        while (m_pos < size && isDigit(data[m_pos])) {
            if (value <= INT_MAX)
                value = value * 10 + (data[m_pos] - '0');
            ++m_pos;
        }
        if (negative)
            value = -value;
        if (value > INT_MAX)
            value = INT_MAX;
        if (value < INT_MIN)
            value = INT_MIN;
        token.parameter = int(value);
        token.hasParameter = true;
    }
    if (m_pos < size && data[m_pos] == ' ')
        ++m_pos; // the delimiting space belongs to the control word

    if (token.name == "bin") {
        const qsizetype count = token.parameter > 0 ? token.parameter : 0;
        const qsizetype available = qMin(count, size - m_pos);
        token.type = RtfToken::Type::Binary;
        token.name = m_data.sliced(m_pos, available);
        m_pos += available;
    }
    return token;
}

} // namespace velko::rtf
