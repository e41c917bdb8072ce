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

} // namespace velko
