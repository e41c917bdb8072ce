#include "core/cipheroption.h"

namespace velko {

QStringList allCipherOptions()
{
    return {kCipherBlowfish, kCipherDes3, kCipherRc5, kCipherRc4};
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
    return option;
}

std::optional<QString> cipherOptionFromName(const QString& name)
{
    const QString option = QLatin1Char('-') + name.toLower();
    if (isCipherOption(option))
        return option;
    return std::nullopt;
}

} // namespace velko
