#include "core/securetext.h"

#include <QString>

namespace velko {

namespace {

constexpr int kBase64LineLength = 64;

bool isBase64Character(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/' || c == '=';
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

Result<QByteArray> normaliseBase64(const QByteArray& text)
{
    QByteArray packed;
    packed.reserve(text.size());
    for (const char c : text) {
        if (isSpace(c))
            continue;
        if (!isBase64Character(c))
            return makeError(ErrorCode::WrongKeyword,
                             QStringLiteral("The document holds characters that are not Base64 "
                                            "text (0x%1).")
                                 .arg(static_cast<unsigned char>(c), 2, 16, QLatin1Char('0')));
        packed.append(c);
    }
    if (packed.isEmpty())
        return makeError(ErrorCode::WrongKeyword, QStringLiteral("The document is empty."));

    QByteArray wrapped;
    wrapped.reserve(packed.size() + packed.size() / kBase64LineLength + 1);
    for (qsizetype at = 0; at < packed.size(); at += kBase64LineLength) {
        wrapped.append(packed.constData() + at,
                       qMin<qsizetype>(kBase64LineLength, packed.size() - at));
        wrapped.append('\n');
    }
    return wrapped;
}

bool isCompleteRtf(const QByteArray& data)
{
    if (!data.startsWith("{\\rtf"))
        return false;
    const char* const p = data.constData();
    const qsizetype size = data.size();
    qsizetype depth = 0;
    qsizetype at = 0;
    while (at < size) {
        const char c = p[at];
        if (c == '{') {
            ++depth;
            ++at;
        } else if (c == '}') {
            ++at;
            if (--depth == 0)
                break;
        } else if (c != '\\') {
            ++at;
        } else if (at + 1 >= size) {
            return false;
        } else if (!isLetter(p[at + 1])) {
            at += 2; // control symbol, including \{ \} and \\ .
        } else {
            // Control word: letters, an optional signed number, and one space
            // that belongs to it.
            const qsizetype nameStart = ++at;
            while (at < size && isLetter(p[at]))
                ++at;
            const QByteArrayView name(p + nameStart, at - nameStart);
            bool negative = false;
            if (at < size && p[at] == '-') {
                negative = true;
                ++at;
            }
            qint64 parameter = 0;
            bool hasParameter = false;
            while (at < size && isDigit(p[at])) {
                if (parameter < 100'000'000'000LL)
                    parameter = parameter * 10 + (p[at] - '0');
                hasParameter = true;
                ++at;
            }
            if (at < size && p[at] == ' ')
                ++at;
            if (name == "bin" && hasParameter && !negative) {
                if (parameter > size - at)
                    return false;
                at += parameter;
            }
        }
    }
    if (depth != 0)
        return false;
    for (; at < size; ++at) {
        if (!isSpace(p[at]) && p[at] != '\0')
            return false;
    }
    return true;
}

} // namespace velko
