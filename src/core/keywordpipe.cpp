#include "core/keywordpipe.h"

#include "core/descriptorio.h"

#include "core/opensslcommand.h"

#include <QProcess>
#include <QString>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace velko {

namespace {

Error pipeError(const char* step)
{
    return makeError(ErrorCode::Internal,
                     QStringLiteral("Keyword pipe: %1 failed: %2")
                         .arg(QLatin1String(step), QString::fromLocal8Bit(std::strerror(errno))));
}

} // namespace

Result<KeywordPipe> KeywordPipe::create(QByteArrayView line)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return pipeError("pipe");
    // A keyword line is at most 1024 bytes, far below a pipe's capacity, so
    // this write never waits for a reader.
    const bool written = io::writeAll(fds[1], line) == 0;
    ::close(fds[1]);
    if (!written) {
        const Error error = pipeError("write");
        ::close(fds[0]);
        return error;
    }
    // Keep the read end well above 3, so that in the child dup2 always moves
    // it (and clears close-on-exec) instead of finding it in place.
    const int readEnd = ::fcntl(fds[0], F_DUPFD_CLOEXEC, 10);
    ::close(fds[0]);
    struct stat info;
    if (readEnd < 0 || ::fstat(readEnd, &info) != 0) {
        const Error error = pipeError("fcntl");
        if (readEnd >= 0)
            ::close(readEnd);
        return error;
    }
    return KeywordPipe(readEnd, info.st_dev, info.st_ino);
}

KeywordPipe::KeywordPipe(int readEnd, dev_t device, ino_t inode)
    : m_readEnd(readEnd), m_device(device), m_inode(inode)
{
}

KeywordPipe::KeywordPipe(KeywordPipe&& other) noexcept
    : m_readEnd(std::exchange(other.m_readEnd, -1)), m_device(other.m_device),
      m_inode(other.m_inode)
{
}

KeywordPipe::~KeywordPipe()
{
    closeReadEnd();
}

void KeywordPipe::closeReadEnd()
{
    if (m_readEnd >= 0)
        ::close(m_readEnd);
    m_readEnd = -1;
}

void KeywordPipe::attachTo(QProcess& process) const
{
    const int readEnd = m_readEnd;
    const dev_t device = m_device;
    const ino_t inode = m_inode;
    // Runs in the child between fork and exec: async-signal-safe calls only.
    process.setChildProcessModifier([readEnd, device, inode] {
        constexpr int target = openssl::kKeywordDescriptor;
        if (::dup2(readEnd, target) != target)
            ::_exit(kWrongDescriptorExit);
        struct stat info;
        if (::fstat(target, &info) != 0 || !S_ISFIFO(info.st_mode) || info.st_dev != device ||
            info.st_ino != inode)
            ::_exit(kWrongDescriptorExit);
    });
}

} // namespace velko
