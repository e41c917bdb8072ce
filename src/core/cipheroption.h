#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace velko {

// The cipher options, passed unchanged to `openssl enc`: the four of the
// first release, and AES-256 behind a slow key derivation.
inline const QString kCipherBlowfish = QStringLiteral("-blowfish");
inline const QString kCipherDes3 = QStringLiteral("-des3");
inline const QString kCipherRc5 = QStringLiteral("-rc5");
inline const QString kCipherRc4 = QStringLiteral("-rc4");
inline const QString kCipherAes256 = QStringLiteral("-aes-256-cbc");

// PBKDF2-HMAC-SHA256 iterations of AES-256 documents. Nothing in the file
// records it: changing it makes every AES-256 document unreadable.
inline constexpr int kAes256Iterations = 600000;

// In the order the pop-ups list them.
QStringList allCipherOptions();
bool isCipherOption(const QString& option);
// "Blowfish", "Triple DES", "RC5", "RC4", "AES-256".
QString cipherDisplayName(const QString& option);
// The pop-ups' item text: the display name, the strong choice marked.
QString cipherMenuText(const QString& option);
// The command-line names of velko-cli: blowfish, des3, rc5, rc4, aes256.
std::optional<QString> cipherOptionFromName(const QString& name);

// Key derivation digest handed to `openssl enc -md`.
enum class Digest { Sha256, Md5 };

// How the tool turns keyword and salt into key and IV for an option.
struct KeyDerivation
{
    int keyLength = 0;  // bytes
    int ivLength = 0;   // bytes
    int iterations = 0; // PBKDF2 iterations; 0: the tool's legacy one-pass derivation
};
KeyDerivation keyDerivationOf(const QString& option);

} // namespace velko
