#include "core/documentfile.h"

#include "core/descriptorio.h"
#include "core/nativepath.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace velko {

Result<QByteArray> readDocumentFile(const QString& path)
{
    if (const Status regular = checkRegularFile(path); !regular)
        return regular.error();
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC);
    std::optional<QByteArray> data = fd >= 0 ? io::readWhole(fd) : std::nullopt;
    const int failure = errno;
    if (fd >= 0)
        ::close(fd);
    if (!data)
        return makeError(ErrorCode::FileRead,
                         QStringLiteral("%1: %2").arg(path, qt_error_string(failure)));
    return std::move(*data);
}

Status writeDocumentFile(const QString& path, const QByteArray& data, NewFileMode newFileMode)
{
    AtomicFile file(path, newFileMode);
    if (const Status created = file.create(); !created)
        return created;
    if (const Status written = file.write(data); !written)
        return written;
    return file.commit();
}

} // namespace velko
