#include "core/memoryfile.h"

#include "core/atomicfile.h"
#include "core/descriptorio.h"

#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace velko {

namespace {

Error memoryFileError(int errnoValue)
{
    return makeError(ErrorCode::Internal,
                     QStringLiteral("A file in memory failed: %1")
                         .arg(QString::fromLocal8Bit(std::strerror(errnoValue))));
}

} // namespace

MemoryFile::MemoryFile() : m_fd(::memfd_create("velko", MFD_CLOEXEC))
{
    if (m_fd < 0)
        m_errno = errno;
}

MemoryFile::~MemoryFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

Status MemoryFile::status() const
{
    if (m_fd < 0)
        return memoryFileError(m_errno);
    return {};
}

QString MemoryFile::path() const
{
    return QStringLiteral("/proc/self/fd/%1").arg(m_fd);
}

Status MemoryFile::write(const QByteArray& data)
{
    if (m_fd < 0)
        return memoryFileError(m_errno);
    if (const int failed = io::writeAll(m_fd, data))
        return memoryFileError(failed);
    return {};
}

Error MemoryFile::childWriteFailure(Error otherwise) const
{
    return writeFailureOf(m_fd, QStringLiteral("the ciphertext in memory"), std::move(otherwise));
}

Result<QByteArray> MemoryFile::readAll() const
{
    if (m_fd < 0)
        return memoryFileError(m_errno);
    std::optional<QByteArray> data = io::readWhole(m_fd);
    if (!data)
        return memoryFileError(errno);
    return std::move(*data);
}

} // namespace velko
