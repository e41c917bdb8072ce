#include "core/keywordverifier.h"

#include "core/secretbytes.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <utility>

namespace velko {

namespace {

// The check gates the window, not the file: slow enough that trying
// keywords against a copy of the verifier costs, quick enough to take at
// every Secure and Unlock without a noticeable wait.
constexpr int kIterations = 100000;

bool derive(QByteArrayView keyword, const std::uint8_t* salt, std::size_t saltSize,
            std::uint8_t* out, std::size_t outSize)
{
    // PKCS5_PBKDF2_HMAC wants a non-null password even when it is empty.
    static const char kNothing = 0;
    const char* bytes = keyword.isEmpty() ? &kNothing : keyword.data();
    return PKCS5_PBKDF2_HMAC(bytes, int(keyword.size()), salt, int(saltSize), kIterations,
                             EVP_sha256(), int(outSize), out) == 1;
}

} // namespace

KeywordVerifier::~KeywordVerifier()
{
    clear();
}

KeywordVerifier::KeywordVerifier(KeywordVerifier&& other) noexcept
    : m_salt(other.m_salt), m_hash(other.m_hash), m_taken(std::exchange(other.m_taken, false))
{
    other.clear();
}

KeywordVerifier& KeywordVerifier::operator=(KeywordVerifier&& other) noexcept
{
    if (this != &other) {
        m_salt = other.m_salt;
        m_hash = other.m_hash;
        m_taken = std::exchange(other.m_taken, false);
        other.clear();
    }
    return *this;
}

Result<KeywordVerifier> KeywordVerifier::take(QByteArrayView keyword)
{
    KeywordVerifier verifier;
    if (RAND_bytes(verifier.m_salt.data(), int(kSaltSize)) != 1)
        return makeError(ErrorCode::Internal,
                         QStringLiteral("no random salt for the keyword check"));
    if (!derive(keyword, verifier.m_salt.data(), kSaltSize, verifier.m_hash.data(), kHashSize))
        return makeError(ErrorCode::Internal, QStringLiteral("keyword check not derived"));
    verifier.m_taken = true;
    return verifier;
}

bool KeywordVerifier::matches(QByteArrayView keyword) const
{
    if (!m_taken)
        return false;
    std::array<std::uint8_t, kHashSize> candidate{};
    const bool derived = derive(keyword, m_salt.data(), kSaltSize, candidate.data(), kHashSize);
    const bool same = derived && CRYPTO_memcmp(candidate.data(), m_hash.data(), kHashSize) == 0;
    wipeBytes(candidate.data(), candidate.size());
    return same;
}

void KeywordVerifier::clear()
{
    wipeBytes(m_salt.data(), m_salt.size());
    wipeBytes(m_hash.data(), m_hash.size());
    m_taken = false;
}

} // namespace velko
