#pragma once

#include <QByteArrayView>

#include <cstddef>

namespace velko {

// The bytes of a keyword, held in one buffer that is locked in memory where
// the system allows it (a refused mlock is no error) and wiped when it goes.
// Move-only: there is never a second copy. The bytes are kept exactly as
// given; no text conversion happens here.
class SecretBytes
{
public:
    SecretBytes() = default;
    explicit SecretBytes(QByteArrayView bytes);
    ~SecretBytes();
    SecretBytes(SecretBytes&& other) noexcept;
    SecretBytes& operator=(SecretBytes&& other) noexcept;
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;

    // Takes a UTF-16 text (a field's contents) as UTF-8, encoding straight
    // into the locked buffer.
    static SecretBytes fromUtf16(const char16_t* text, std::size_t length);
    // `bytes` followed by `tail`, in one buffer.
    static SecretBytes joined(QByteArrayView bytes, QByteArrayView tail);

    const char* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    QByteArrayView view() const { return QByteArrayView(m_data, qsizetype(m_size)); }

    // Wipes and frees the buffer now; the object is empty afterwards.
    void clear();

private:
    void allocate(std::size_t capacity);

    char* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// Overwrites memory that held secret bytes, in a way the compiler keeps.
void wipeBytes(void* data, std::size_t size);

} // namespace velko
