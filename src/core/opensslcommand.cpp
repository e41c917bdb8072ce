#include "core/opensslcommand.h"

#include "core/cipheroption.h"

#include <QRegularExpression>

namespace velko::openssl {

QStringList providerArguments(int majorVersion, const QString& rc5ModulePath)
{
    if (majorVersion < 3)
        return {};
    QStringList args{QStringLiteral("-provider"), QStringLiteral("legacy")};
    if (!rc5ModulePath.isEmpty())
        args << QStringLiteral("-provider") << rc5ModulePath;
    args << QStringLiteral("-provider") << QStringLiteral("default");
    return args;
}

static QString digestName(Digest digest)
{
    return digest == Digest::Md5 ? QStringLiteral("md5") : QStringLiteral("sha256");
}

QStringList cipherStageArguments(Direction direction, const QString& cipherOption, Digest digest,
                                 const QStringList& providers, const QByteArray& salt)
{
    QStringList args{QStringLiteral("enc")};
    if (direction == Direction::Decipher)
        args << QStringLiteral("-d");
    args << cipherOption << QStringLiteral("-md") << digestName(digest);
    if (const int iterations = keyDerivationOf(cipherOption).iterations; iterations > 0)
        args << QStringLiteral("-pbkdf2") << QStringLiteral("-iter") << QString::number(iterations);
    if (!salt.isEmpty())
        args << QStringLiteral("-S") << QString::fromLatin1(salt.toHex());
    args << providers;
    args << QStringLiteral("-pass") << QStringLiteral("fd:%1").arg(kKeywordDescriptor);
    return args;
}

QStringList base64StageArguments(Direction direction)
{
    QStringList args{QStringLiteral("enc")};
    if (direction == Direction::Decipher)
        args << QStringLiteral("-d");
    args << QStringLiteral("-base64");
    return args;
}

QStringList availabilityArguments(const QString& cipherOption, const QStringList& providers)
{
    QStringList args{QStringLiteral("enc"), cipherOption};
    args << providers;
    args << QStringLiteral("-pass") << QStringLiteral("pass:x") << QStringLiteral("-S")
         << QStringLiteral("00") << QStringLiteral("-P");
    return args;
}

QProcessEnvironment childEnvironment(QProcessEnvironment base)
{
    base.insert(QStringLiteral("OPENSSL_CONF"), QStringLiteral("/dev/null"));
    base.remove(QStringLiteral("OPENSSL_MODULES"));
    return base;
}

std::optional<int> parseMajorVersion(const QByteArray& versionOutput)
{
    static const QRegularExpression pattern(QStringLiteral("^OpenSSL\\s+(\\d+)\\."));
    const QRegularExpressionMatch match =
        pattern.match(QString::fromLatin1(versionOutput.trimmed()));
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt();
}

Result<SecretBytes> keywordLine(QByteArrayView keyword)
{
    const QByteArrayView line = keyword;
    if (line.contains('\n') || line.contains('\r'))
        return makeError(ErrorCode::KeywordRefused,
                         QStringLiteral("The keyword holds a line break."));
    if (line.contains('\0'))
        return makeError(ErrorCode::KeywordRefused,
                         QStringLiteral("The keyword holds a null character."));
    if (line.size() > kMaxKeywordBytes)
        return makeError(ErrorCode::KeywordRefused,
                         QStringLiteral("The keyword is %1 bytes long in UTF-8; at most %2 "
                                        "bytes are accepted.")
                             .arg(line.size())
                             .arg(kMaxKeywordBytes));
    return SecretBytes::joined(line, "\n");
}

} // namespace velko::openssl
