#pragma once

#include "core/cipheroption.h"

#include <QByteArray>

// The seal of a secure document: a keyed check value that Velko puts inside
// the RTF before enciphering, so a document changed after it was locked is
// refused instead of opening with a corrupted text. The layout is written
// down in docs/secure-document-format.md; files depend on it.
namespace velko::seal {

// Bytes of the salt in the tool's "Salted__" header.
inline constexpr int kSaltLength = 8;

// The key of the seal: HMAC-SHA256 under the key and IV bytes the tool
// derives from keyword and salt for this cipher and digest, over the label
// "Velko seal 1". As slow to find by guessing as the document's own key.
QByteArray sealKey(const QString& cipherOption, Digest digest, QByteArrayView keyword,
                   const QByteArray& salt);

// The key and IV bytes `openssl enc` derives (EVP_BytesToKey with one pass,
// or PBKDF2-HMAC-SHA256), for checking against the tool.
QByteArray toolKeyMaterial(const QString& cipherOption, Digest digest, QByteArrayView keyword,
                           const QByteArray& salt);

// `rtf` with the mark "{\*\velkosealed}" after its "{\rtf1" and the seal
// group "{\*\velkoseal <64 hex digits>}" placed last inside its outer
// group; the value is HMAC-SHA256 under `key` over the marked document
// without the seal group.
QByteArray sealed(const QByteArray& rtf, const QByteArray& key);

enum class Check {
    Unsealed, // no seal: a document of the stock tool or of older versions
    Intact,   // the seal verifies
    Broken,   // a seal (or what is left of one) that does not verify
};

struct Opened
{
    Check check = Check::Unsealed;
    QByteArray rtf; // without the seal group when there was one
};

// Finds the seal at the end of `rtf` and checks it under `key`.
Opened open(const QByteArray& rtf, const QByteArray& key);

// Parts of open(), without the key.
struct Located
{
    Check kind = Check::Unsealed; // Intact here: a well-formed seal, not yet checked
    qsizetype start = 0;
    qsizetype length = 0;
    QByteArray value;         // the 32 bytes of a well-formed seal
    qsizetype headStart = -1; // the head mark, when in place
};
Located locate(const QByteArray& rtf);
QByteArray withoutHeadMark(QByteArray rtf, const Located& found);

} // namespace velko::seal
