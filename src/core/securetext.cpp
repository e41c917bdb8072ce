#include "core/securetext.h"

#include <QString>

#include <array>

namespace velko {

namespace {

constexpr int kBase64LineLength = 64;

enum CharacterKind : unsigned char { Foreign, Base64, Space };

constexpr std::array<CharacterKind, 256> makeKinds()
{
    std::array<CharacterKind, 256> kinds{};
    for (int c = 'A'; c <= 'Z'; ++c)
        kinds[c] = Base64;
    for (int c = 'a'; c <= 'z'; ++c)
        kinds[c] = Base64;
    for (int c = '0'; c <= '9'; ++c)
        kinds[c] = Base64;
    kinds['+'] = kinds['/'] = kinds['='] = Base64;
    kinds[' '] = kinds['\t'] = kinds['\r'] = kinds['\n'] = kinds['\v'] = kinds['\f'] = Space;
    return kinds;
}

constexpr std::array<CharacterKind, 256> kKinds = makeKinds();

constexpr std::array<bool, 256> makeRtfSpecial()
{
    std::array<bool, 256> special{};
    special['{'] = special['}'] = special['\\'] = true;
    return special;
}

// The bytes that make RTF structure; everything else is skipped in bulk.
constexpr std::array<bool, 256> kRtfSpecial = makeRtfSpecial();

bool isSpace(char c)
{
    return kKinds[static_cast<unsigned char>(c)] == Space;
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
    // Documents run to megabytes: one pass through raw pointers, no appends.
    QByteArray wrapped(text.size() + text.size() / kBase64LineLength + 1, Qt::Uninitialized);
    char* out = wrapped.data();
    int column = 0;
    for (const char c : text) {
        const CharacterKind kind = kKinds[static_cast<unsigned char>(c)];
        if (kind == Space)
            continue;
        if (kind == Foreign)
            return makeError(ErrorCode::NotBase64,
                             QStringLiteral("The document holds characters that are not Base64 "
                                            "text (0x%1).")
                                 .arg(static_cast<unsigned char>(c), 2, 16, QLatin1Char('0')));
        *out++ = c;
        if (++column == kBase64LineLength) {
            *out++ = '\n';
            column = 0;
        }
    }
    if (column > 0)
        *out++ = '\n';
    wrapped.truncate(out - wrapped.constData());
    if (wrapped.isEmpty())
        return makeError(ErrorCode::NotBase64, QStringLiteral("The document is empty."));
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
            while (at < size && !kRtfSpecial[static_cast<unsigned char>(p[at])])
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
