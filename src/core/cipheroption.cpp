#include "core/cipheroption.h"

namespace velko {

QStringList allCipherOptions()
{
    return {kCipherBlowfish, kCipherDes3, kCipherRc5, kCipherRc4, kCipherAes256};
}

bool isCipherOption(const QString& option)
{
    return allCipherOptions().contains(option);
}

QString cipherDisplayName(const QString& option)
{
    if (option == kCipherBlowfish)
        return QStringLiteral("Blowfish");
    if (option == kCipherDes3)
        return QStringLiteral("Triple DES");
    if (option == kCipherRc5)
        return QStringLiteral("RC5");
    if (option == kCipherRc4)
        return QStringLiteral("RC4");
    if (option == kCipherAes256)
        return QStringLiteral("AES-256");
    return option;
}

QString cipherMenuText(const QString& option)
{
    if (option == kCipherAes256)
        return QStringLiteral("AES-256 (recommended)");
    return cipherDisplayName(option);
}

std::optional<QString> cipherOptionFromName(const QString& name)
{
    if (name.compare(QLatin1String("aes256"), Qt::CaseInsensitive) == 0)
        return kCipherAes256;
    const QString option = QLatin1Char('-') + name.toLower();
    if (option != kCipherAes256 && isCipherOption(option))
        return option;
    return std::nullopt;
}

KeyDerivation keyDerivationOf(const QString& option)
{
    if (option == kCipherDes3)
        return {24, 8, 0};
    if (option == kCipherRc4)
        return {16, 0, 0};
    if (option == kCipherAes256)
        return {32, 16, kAes256Iterations};
    return {16, 8, 0}; // Blowfish, RC5
}

} // namespace velko
