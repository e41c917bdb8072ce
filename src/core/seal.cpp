#include "core/seal.h"

#include "rtf/grammar/rtfgrammar.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <cstring>

namespace velko::seal {

namespace {

constexpr char kPrefix[] = "{\\*\\velkoseal ";
constexpr qsizetype kPrefixLength = sizeof(kPrefix) - 1;
constexpr qsizetype kHexLength = 64;
constexpr qsizetype kSealLength = kPrefixLength + kHexLength + 1; // and its '}'
constexpr char kKeyLabel[] = "Velko seal 1";
// The mark at the document's start that says a seal follows at its end, so
// a seal garbled beyond recognition still reads as a seal that was there.
constexpr char kHeadMark[] = "{\\*\\velkosealed}";
constexpr qsizetype kHeadMarkLength = sizeof(kHeadMark) - 1;
// A seal whose fixed parts still match this often was damaged, not absent.
constexpr int kDamagedSealMatches = 10;
// How far from the end a seal moved by inserted or removed bytes is looked for.
constexpr qsizetype kShiftedSealWindow = 4 * kSealLength;

QByteArray hmacSha256(const QByteArray& key, const QByteArray& data)
{
    QByteArray out(32, Qt::Uninitialized);
    unsigned int length = 0;
    HMAC(EVP_sha256(), key.constData(), int(key.size()),
         reinterpret_cast<const unsigned char*>(data.constData()), size_t(data.size()),
         reinterpret_cast<unsigned char*>(out.data()), &length);
    out.truncate(int(length));
    return out;
}

// Where the outer group closes: the last '}' before trailing line ends,
// spaces and NULs; -1 when there is none.
qsizetype outerClose(const QByteArray& rtf)
{
    qsizetype end = rtf.size();
    while (end > 0) {
        const char c = rtf.at(end - 1);
        if (c != '\n' && c != '\r' && c != ' ' && c != '\t' && c != '\0')
            break;
        --end;
    }
    return end > 0 && rtf.at(end - 1) == '}' ? end - 1 : -1;
}

// Where the head mark goes: right after the document's "{\rtfN" word.
qsizetype headMarkPosition(const QByteArray& rtf)
{
    const qsizetype start = rtf::signatureStart(rtf);
    if (start < 0)
        return -1;
    qsizetype at = start + 5;
    while (at < rtf.size() && rtf.at(at) >= '0' && rtf.at(at) <= '9')
        ++at;
    return at;
}

bool isLowerHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

} // namespace

QByteArray toolKeyMaterial(const QString& cipherOption, Digest digest, QByteArrayView keyword,
                           const QByteArray& salt)
{
    const KeyDerivation derivation = keyDerivationOf(cipherOption);
    const int wanted = derivation.keyLength + derivation.ivLength;
    QByteArray material(wanted, Qt::Uninitialized);
    auto* out = reinterpret_cast<unsigned char*>(material.data());
    const auto* saltBytes = reinterpret_cast<const unsigned char*>(salt.constData());
    if (derivation.iterations > 0) {
        PKCS5_PBKDF2_HMAC(keyword.constData(), int(keyword.size()), saltBytes, int(salt.size()),
                          derivation.iterations, EVP_sha256(), wanted, out);
        return material;
    }
    // The tool's legacy derivation: D1 = H(keyword salt), Dn = H(Dn-1 keyword
    // salt), concatenated until key and IV are filled.
    const EVP_MD* md = digest == Digest::Md5 ? EVP_md5() : EVP_sha256();
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    unsigned char block[EVP_MAX_MD_SIZE];
    unsigned int blockLength = 0;
    int filled = 0;
    while (filled < wanted) {
        EVP_DigestInit_ex(context, md, nullptr);
        if (filled > 0)
            EVP_DigestUpdate(context, block, blockLength);
        EVP_DigestUpdate(context, keyword.constData(), size_t(keyword.size()));
        EVP_DigestUpdate(context, saltBytes, size_t(salt.size()));
        EVP_DigestFinal_ex(context, block, &blockLength);
        const int take = qMin(int(blockLength), wanted - filled);
        std::memcpy(out + filled, block, size_t(take));
        filled += take;
    }
    OPENSSL_cleanse(block, sizeof block);
    EVP_MD_CTX_free(context);
    return material;
}

QByteArray sealKey(const QString& cipherOption, Digest digest, QByteArrayView keyword,
                   const QByteArray& salt)
{
    QByteArray material = toolKeyMaterial(cipherOption, digest, keyword, salt);
    QByteArray key = hmacSha256(material, QByteArray(kKeyLabel));
    OPENSSL_cleanse(material.data(), size_t(material.size()));
    return key;
}

QByteArray sealed(const QByteArray& rtf, const QByteArray& key)
{
    const qsizetype head = headMarkPosition(rtf);
    if (head < 0 || outerClose(rtf) < 0)
        return rtf;
    QByteArray out = rtf;
    out.insert(head, kHeadMark);
    QByteArray group = kPrefix;
    group += hmacSha256(key, out).toHex();
    group += '}';
    out.insert(outerClose(out), group);
    return out;
}

Located locate(const QByteArray& rtf)
{
    const qsizetype head = headMarkPosition(rtf);
    const bool marked = head >= 0 && rtf.mid(head, kHeadMarkLength) == kHeadMark;
    const qsizetype close = outerClose(rtf);
    if (close >= kSealLength) {
        const qsizetype start = close - kSealLength;
        const char* seal = rtf.constData() + start;
        int matches = seal[kSealLength - 1] == '}' ? 1 : 0;
        for (qsizetype i = 0; i < kPrefixLength; ++i)
            matches += seal[i] == kPrefix[i] ? 1 : 0;
        bool hex = true;
        for (qsizetype i = 0; i < kHexLength && hex; ++i)
            hex = isLowerHex(seal[kPrefixLength + i]);
        if (hex && matches == kPrefixLength + 1)
            return {Check::Intact, start, kSealLength,
                    QByteArray::fromHex(QByteArray(seal + kPrefixLength, kHexLength)),
                    marked ? head : -1};
        if (matches >= kDamagedSealMatches)
            return {Check::Broken, start, kSealLength, {}};
    }
    // A seal moved by bytes put in or taken out near the end.
    const qsizetype from = qMax<qsizetype>(0, rtf.size() - kShiftedSealWindow);
    if (marked || rtf.indexOf("\\velkoseal", from) >= 0)
        return {Check::Broken, 0, 0, {}};
    return {};
}

QByteArray withoutHeadMark(QByteArray rtf, const Located& found)
{
    if (found.headStart >= 0)
        rtf.remove(found.headStart, kHeadMarkLength);
    return rtf;
}

Opened open(const QByteArray& rtf, const QByteArray& key)
{
    const Located found = locate(rtf);
    if (found.kind == Check::Unsealed)
        return {Check::Unsealed, rtf};
    if (found.kind == Check::Broken)
        return {Check::Broken, {}};
    QByteArray without = rtf;
    without.remove(found.start, found.length);
    const QByteArray expected = hmacSha256(key, without);
    if (expected.size() != found.value.size() ||
        CRYPTO_memcmp(expected.constData(), found.value.constData(), size_t(expected.size())) != 0)
        return {Check::Broken, {}};
    return {Check::Intact, withoutHeadMark(std::move(without), found)};
}

} // namespace velko::seal
