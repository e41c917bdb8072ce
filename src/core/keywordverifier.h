#pragma once

#include "core/result.h"

#include <QByteArrayView>

#include <array>
#include <cstdint>

namespace velko {

// Tells later whether a keyword is the one given now, without keeping it:
// holds only a fresh random salt and the PBKDF2-HMAC-SHA256 of the keyword
// with that salt. Empty until taken.
class KeywordVerifier
{
public:
    KeywordVerifier() = default;
    ~KeywordVerifier();
    KeywordVerifier(KeywordVerifier&& other) noexcept;
    KeywordVerifier& operator=(KeywordVerifier&& other) noexcept;
    KeywordVerifier(const KeywordVerifier&) = delete;
    KeywordVerifier& operator=(const KeywordVerifier&) = delete;

    // A verifier of `keyword`; fails only when no random salt can be had.
    static Result<KeywordVerifier> take(QByteArrayView keyword);

    bool isEmpty() const { return !m_taken; }
    // False for an empty verifier.
    bool matches(QByteArrayView keyword) const;
    // Forgets salt and hash; the verifier is empty afterwards.
    void clear();

private:
    static constexpr std::size_t kSaltSize = 16;
    static constexpr std::size_t kHashSize = 32;
    std::array<std::uint8_t, kSaltSize> m_salt{};
    std::array<std::uint8_t, kHashSize> m_hash{};
    bool m_taken = false;
};

} // namespace velko
