#include "core/descriptorio.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace velko::io {

int writeAll(int fd, QByteArrayView data)
{
    const char* next = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, next, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        next += written;
        left -= written;
    }
    return 0;
}

std::optional<QByteArray> readWhole(int fd)
{
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return std::nullopt;
    QByteArray data(qsizetype(info.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t got = ::pread(fd, data.data() + done, size_t(data.size() - done), done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break; // shorter than it was a moment ago
        done += got;
    }
    data.truncate(done);
    return data;
}

} // namespace velko::io
