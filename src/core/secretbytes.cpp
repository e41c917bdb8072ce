#include "core/secretbytes.h"

#include <openssl/crypto.h>

#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <utility>

namespace velko {

SecretBytes::SecretBytes(QByteArrayView bytes)
{
    allocate(std::size_t(bytes.size()));
    if (!bytes.isEmpty())
        std::memcpy(m_data, bytes.data(), std::size_t(bytes.size()));
    m_size = std::size_t(bytes.size());
}

SecretBytes::~SecretBytes()
{
    clear();
}

SecretBytes::SecretBytes(SecretBytes&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)),
      m_capacity(std::exchange(other.m_capacity, 0))
{
}

SecretBytes& SecretBytes::operator=(SecretBytes&& other) noexcept
{
    if (this != &other) {
        clear();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
    }
    return *this;
}

void SecretBytes::allocate(std::size_t capacity)
{
    m_capacity = capacity == 0 ? 1 : capacity;
    m_data = static_cast<char*>(std::calloc(m_capacity, 1));
    if (!m_data)
        std::abort();
    ::mlock(m_data, m_capacity); // best effort: a refused lock leaves the buffer usable
}

SecretBytes SecretBytes::fromUtf16(const char16_t* text, std::size_t length)
{
    // At most three UTF-8 bytes per UTF-16 unit (a surrogate pair is two
    // units giving four bytes).
    SecretBytes secret;
    secret.allocate(length * 3);
    std::size_t out = 0;
    for (std::size_t i = 0; i < length; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD; // a lone surrogate
        }
        char* p = secret.m_data + out;
        if (c < 0x80) {
            p[0] = char(c);
            out += 1;
        } else if (c < 0x800) {
            p[0] = char(0xC0 | (c >> 6));
            p[1] = char(0x80 | (c & 0x3F));
            out += 2;
        } else if (c < 0x10000) {
            p[0] = char(0xE0 | (c >> 12));
            p[1] = char(0x80 | ((c >> 6) & 0x3F));
            p[2] = char(0x80 | (c & 0x3F));
            out += 3;
        } else {
            p[0] = char(0xF0 | (c >> 18));
            p[1] = char(0x80 | ((c >> 12) & 0x3F));
            p[2] = char(0x80 | ((c >> 6) & 0x3F));
            p[3] = char(0x80 | (c & 0x3F));
            out += 4;
        }
    }
    secret.m_size = out;
    return secret;
}

SecretBytes SecretBytes::joined(QByteArrayView bytes, QByteArrayView tail)
{
    SecretBytes secret;
    secret.allocate(std::size_t(bytes.size() + tail.size()));
    if (!bytes.isEmpty())
        std::memcpy(secret.m_data, bytes.data(), std::size_t(bytes.size()));
    if (!tail.isEmpty())
        std::memcpy(secret.m_data + bytes.size(), tail.data(), std::size_t(tail.size()));
    secret.m_size = std::size_t(bytes.size() + tail.size());
    return secret;
}

void wipeBytes(void* data, std::size_t size)
{
    OPENSSL_cleanse(data, size);
}

void SecretBytes::clear()
{
    if (!m_data)
        return;
    OPENSSL_cleanse(m_data, m_capacity);
    ::munlock(m_data, m_capacity);
    std::free(m_data);
    m_data = nullptr;
    m_size = 0;
    m_capacity = 0;
}

} // namespace velko
