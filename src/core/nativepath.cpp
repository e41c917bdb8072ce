#include "core/nativepath.h"

#include <QUrl>

#include <cstdlib>
#include <unistd.h>

namespace velko {

namespace {

// Kept bytes 0x80..0xFF sit at U+DC80..U+DCFF (ASCII is always UTF-8).
constexpr char16_t kKeptByteBase = 0xDC00;

bool isKeptByte(char16_t unit)
{
    return unit >= 0xDC80 && unit <= 0xDCFF;
}

// The length of the well-formed UTF-8 sequence at `at`, or 0 for a byte
// that starts none (a stray continuation byte, an overlong form, an
// encoded surrogate, a sequence cut short or past U+10FFFF).
qsizetype utf8SequenceAt(QByteArrayView bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) {
        return uchar(bytes[i]);
    };
    const uchar lead = byte(at);
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    uchar low = 0x80; // the range the second byte must lie in
    uchar high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > bytes.size() || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (qsizetype i = at + 2; i < at + length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    }
    return length;
}

bool isHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

// Whether the unit at `at` is a kept byte rather than the second half of a
// surrogate pair.
bool keptByteAt(const QString& path, qsizetype at)
{
    return isKeptByte(path.at(at).unicode()) &&
           (at == 0 || !isHighSurrogate(path.at(at - 1).unicode()));
}

} // namespace

QString pathFromNative(QByteArrayView bytes)
{
    QString path;
    path.reserve(bytes.size());
    qsizetype textStart = 0;
    qsizetype at = 0;
    while (at < bytes.size()) {
        if (const qsizetype length = utf8SequenceAt(bytes, at)) {
            at += length;
            continue;
        }
        path += QString::fromUtf8(bytes.sliced(textStart, at - textStart));
        path += QChar(char16_t(kKeptByteBase + uchar(bytes[at])));
        textStart = ++at;
    }
    path += QString::fromUtf8(bytes.sliced(textStart));
    return path;
}

QByteArray nativePath(const QString& path)
{
    QByteArray bytes;
    qsizetype textStart = 0;
    for (qsizetype at = 0; at < path.size(); ++at) {
        if (!keptByteAt(path, at))
            continue;
        bytes += QStringView(path).sliced(textStart, at - textStart).toUtf8();
        bytes += char(path.at(at).unicode() - kKeptByteBase);
        textStart = at + 1;
    }
    bytes += QStringView(path).sliced(textStart).toUtf8();
    return bytes;
}

QString readablePath(const QString& text)
{
    QString readable;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (keptByteAt(text, at))
            readable += QStringLiteral("\\x%1").arg(text.at(at).unicode() - kKeptByteBase, 2, 16,
                                                    QLatin1Char('0'));
        else
            readable += text.at(at);
    }
    return readable;
}

QStringList nativeArguments(int argc, const char* const* argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(pathFromNative(argv[i]));
    return arguments;
}

QString currentFolder()
{
    char* folder = ::getcwd(nullptr, 0);
    if (!folder)
        return {};
    const QString path = pathFromNative(folder);
    std::free(folder);
    return path;
}

QString fileUriOf(const QString& path)
{
    return QStringLiteral("file://") + QString::fromLatin1(nativePath(path).toPercentEncoding("/"));
}

std::optional<QString> localPathOfUri(const QString& uri)
{
    const QUrl url(uri);
    if (!url.isLocalFile() || !(url.host().isEmpty() || url.host() == QLatin1String("localhost")))
        return std::nullopt;
    return pathFromNative(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

} // namespace velko
