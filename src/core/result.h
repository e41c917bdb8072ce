#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace velko {

// What went wrong, as a value. Libraries return these; the window turns them
// into words in one place (engine/errortext).
enum class ErrorCode {
    ToolMissing,       // the openssl tool is absent or cannot be started
    CipherUnavailable, // the tool cannot use the requested cipher
    KeywordRefused,    // the keyword cannot be handed to the tool intact
    ToolFailed,        // a stage of the tool exited with an error
    WrongKeyword,      // decipher gave no complete RTF: wrong keyword, wrong cipher or damaged file
    NotBase64,         // a secure document whose text is not Base64 at all
    DocumentChanged,   // a sealed document whose seal does not verify: changed after locking
    FileRead,          // a file could not be read
    NotRegularFile,    // a folder, a pipe or a device where a document file was expected
    NeverSaved,        // the document has no file yet
    FileWrite,         // a file could not be written
    FileReadOnly,      // the file to replace is read-only
    DiskFull,          // no space left (or the disk quota is used up)
    FileTooLarge,      // the file would exceed the size allowed to this process
    NotRtf,            // data that is not an RTF document
    NotPicture,        // a file that holds no picture Qt can read
    RtfTooDeep,        // an RTF document nested beyond what we accept
    MailNoClient,      // no mail client is set up
    MailFailed,        // the mail client could not be handed the message
    Internal,          // anything else (scratch folder, pipes...)
    NetworkFailed, // a web request got no usable answer: no connection, time-out, bad URL or body
    Cancelled,     // the person called the work off before it ended
};

struct Error
{
    ErrorCode code;
    QString detail; // technical detail: a path, the tool's message, an errno text

    friend bool operator==(const Error&, const Error&) = default;
};

// A value or an error. Small on purpose: no exceptions, no implicit access.
template <typename T> class [[nodiscard]] Result
{
public:
    Result(T value) : m_data(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : m_data(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_data.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<0>(m_data); }
    T& value() & { return std::get<0>(m_data); }
    T&& value() && { return std::get<0>(std::move(m_data)); }
    const Error& error() const { return std::get<1>(m_data); }

private:
    std::variant<T, Error> m_data;
};

template <> class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)) {}

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return *m_error; }

private:
    std::optional<Error> m_error;
};

using Status = Result<void>;

inline Error makeError(ErrorCode code, QString detail = {})
{
    return Error{code, std::move(detail)};
}

} // namespace velko
