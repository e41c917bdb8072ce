#pragma once

#include "core/cipherpipeline.h"
#include "core/result.h"
#include "core/secretbytes.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

// Argument lists and environment for `openssl enc` runs. Pure functions: they
// start nothing, so what the tool is told can be checked without running it.
namespace velko::openssl {

enum class Direction { Encipher, Decipher };

// Where the keyword pipe sits in the child.
inline constexpr int kKeywordDescriptor = 3;

// The longest keyword the tool takes intact from a descriptor, in bytes.
inline constexpr int kMaxKeywordBytes = 1023;

// Providers to name for a tool of `majorVersion`: none before 3; from 3 on
// the legacy provider (Blowfish, RC4), our RC5 module when given, and
// default (which must be named once any provider is).
QStringList providerArguments(int majorVersion, const QString& rc5ModulePath);

// "enc" [-d] <cipher> -md <digest> [-pbkdf2 -iter N] [-S <salt>] <providers>
// -pass fd:3. Data on stdin and stdout; the keyword comes from descriptor 3.
// Told a salt, the tool writes the bare ciphertext without its header.
QStringList cipherStageArguments(Direction direction, const QString& cipherOption, Digest digest,
                                 const QStringList& providers, const QByteArray& salt = {});

// "enc" [-d] -base64: Base64 in 64-column lines, stdin to stdout.
QStringList base64StageArguments(Direction direction);

// Asks the tool to derive a key from a fixed password and print it. Exits 0
// only when the cipher can be loaded.
QStringList availabilityArguments(const QString& cipherOption, const QStringList& providers);

// `base` with OPENSSL_CONF=/dev/null and without OPENSSL_MODULES, so a
// user's configuration cannot switch providers off under us.
QProcessEnvironment childEnvironment(QProcessEnvironment base);

// Major version from `openssl version` output ("OpenSSL 3.0.19 ..."), or
// nothing for an unrecognised tool.
std::optional<int> parseMajorVersion(const QByteArray& versionOutput);

// The keyword's bytes as the line written to the keyword pipe (the bytes as
// given plus a line feed), or KeywordRefused when the tool would not read
// them intact.
Result<SecretBytes> keywordLine(QByteArrayView keyword);

} // namespace velko::openssl
