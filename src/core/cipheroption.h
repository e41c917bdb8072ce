#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace velko {

// The four cipher options, passed unchanged to `openssl enc`.
inline const QString kCipherBlowfish = QStringLiteral("-blowfish");
inline const QString kCipherDes3 = QStringLiteral("-des3");
inline const QString kCipherRc5 = QStringLiteral("-rc5");
inline const QString kCipherRc4 = QStringLiteral("-rc4");

// In the order the pop-ups list them.
QStringList allCipherOptions();
bool isCipherOption(const QString& option);
// "Blowfish", "Triple DES", "RC5", "RC4".
QString cipherDisplayName(const QString& option);
// The command-line names of velko-cli: blowfish, des3, rc5, rc4.
std::optional<QString> cipherOptionFromName(const QString& name);

} // namespace velko
