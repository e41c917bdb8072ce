#include "core/atomicfile.h"

#include "core/descriptorio.h"
#include "core/nativepath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace velko {

namespace {

QString errnoText(int errnoValue)
{
    return QString::fromLocal8Bit(std::strerror(errnoValue));
}

// The process's file mode creation mask, read without changing it.
mode_t currentUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = status.readAll().split('\n');
        for (const QByteArray& line : lines) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(mask);
            }
        }
    }
    return 022;
}

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a regular file");
}

Error notRegularFile(const QString& path, mode_t mode)
{
    const QString kind = kindOf(mode);
    return makeError(ErrorCode::NotRegularFile,
                     kind.startsWith(QLatin1String("not"))
                         ? QStringLiteral("%1 is %2.").arg(path, kind)
                         : QStringLiteral("%1 is %2, not a file.").arg(path, kind));
}

// What a symbolic link holds, as written in it.
std::optional<QString> linkText(const QByteArray& link)
{
    QByteArray text(256, Qt::Uninitialized);
    for (;;) {
        const ssize_t length = ::readlink(link.constData(), text.data(), size_t(text.size()));
        if (length < 0)
            return std::nullopt;
        if (length < text.size())
            return pathFromNative(QByteArrayView(text.constData(), length));
        text.resize(text.size() * 2);
    }
}

// The file a symbolic link leads to (also one not made yet); any other path
// as it is.
QString resolvedTarget(const QString& path)
{
    const QByteArray native = nativePath(path);
    struct stat info;
    if (::lstat(native.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    if (char* canonical = ::realpath(native.constData(), nullptr)) {
        const QString target = pathFromNative(canonical);
        ::free(canonical);
        return target;
    }
    const std::optional<QString> text = linkText(native);
    if (!text)
        return path;
    return QDir::cleanPath(QFileInfo(path).absoluteDir().absoluteFilePath(*text));
}

QByteArray hiddenNameBeside(const QString& target)
{
    const QFileInfo info(target);
    const QString suffix = QString::number(QRandomGenerator::system()->generate64(), 36);
    return nativePath(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                      QLatin1Char('.') + suffix);
}

void syncFolderOf(const QString& path)
{
    const QByteArray folder = nativePath(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

Error fileWriteError(int errnoValue, const QString& path)
{
    const QString detail = QStringLiteral("%1: %2").arg(path, errnoText(errnoValue));
    switch (errnoValue) {
    case ENOSPC:
    case EDQUOT:
        return makeError(ErrorCode::DiskFull, detail);
    case EFBIG:
        return makeError(ErrorCode::FileTooLarge, detail);
    default:
        return makeError(ErrorCode::FileWrite, detail);
    }
}

Error writeFailureOf(int fd, const QString& name, Error otherwise)
{
    struct stat info;
    rlimit limit;
    if (fd >= 0 && ::fstat(fd, &info) == 0 && ::getrlimit(RLIMIT_FSIZE, &limit) == 0 &&
        limit.rlim_cur != RLIM_INFINITY && rlim_t(info.st_size) >= limit.rlim_cur)
        return fileWriteError(EFBIG, name);
    struct statvfs space;
    if (fd >= 0 && ::fstatvfs(fd, &space) == 0 && space.f_bavail == 0 && space.f_blocks > 0)
        return fileWriteError(ENOSPC, name);
    return otherwise;
}

Status checkRegularFile(const QString& path)
{
    struct stat info;
    if (::stat(nativePath(path).constData(), &info) != 0)
        return makeError(ErrorCode::FileRead, QStringLiteral("%1: %2").arg(path, errnoText(errno)));
    if (!S_ISREG(info.st_mode))
        return notRegularFile(path, info.st_mode);
    return {};
}

AtomicFile::AtomicFile(QString targetPath, NewFileMode newFileMode)
    : m_targetPath(resolvedTarget(targetPath)), m_newFileMode(newFileMode)
{
}

AtomicFile::~AtomicFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_temporaryName.isEmpty())
        ::unlink(m_temporaryName.constData());
}

Status AtomicFile::create()
{
    const QByteArray target = nativePath(m_targetPath);
    struct stat existing;
    if (::stat(target.constData(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode))
            return notRegularFile(m_targetPath, existing.st_mode);
        // The write bits are the user's word, even where the process could
        // write regardless (root).
        if ((existing.st_mode & 0222) == 0 || ::access(target.constData(), W_OK) != 0)
            return makeError(ErrorCode::FileReadOnly,
                             QStringLiteral("%1 is read-only.").arg(m_targetPath));
    }
    const QString folder = QFileInfo(m_targetPath).absolutePath();
    m_fd = ::open(nativePath(folder).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (m_fd >= 0)
        return {};
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return fileWriteError(errno, m_targetPath);
    // No unnamed files here: a hidden name beside the target, mode 0600.
    QByteArray name = nativePath(folder + QStringLiteral("/.") +
                                 QFileInfo(m_targetPath).fileName() + QStringLiteral(".XXXXXX"));
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0)
        return fileWriteError(errno, m_targetPath);
    m_temporaryName = name;
    return {};
}

QString AtomicFile::descriptorPath() const
{
    return QStringLiteral("/proc/self/fd/%1").arg(m_fd);
}

Status AtomicFile::write(const QByteArray& data)
{
    if (m_fd < 0)
        return makeError(ErrorCode::Internal, QStringLiteral("No file to write."));
    if (const int failed = io::writeAll(m_fd, data))
        return fileWriteError(failed, m_targetPath);
    return {};
}

Result<QByteArray> AtomicFile::readBack() const
{
    std::optional<QByteArray> data = m_fd >= 0 ? io::readWhole(m_fd) : std::nullopt;
    if (!data)
        return makeError(ErrorCode::FileRead,
                         QStringLiteral("Cannot read back %1.").arg(m_targetPath));
    return std::move(*data);
}

Error AtomicFile::childWriteFailure(Error otherwise) const
{
    return writeFailureOf(m_fd, m_targetPath, std::move(otherwise));
}

Status AtomicFile::commit()
{
    if (m_fd < 0)
        return makeError(ErrorCode::Internal, QStringLiteral("No file to commit."));
    const QByteArray target = nativePath(m_targetPath);
    if (::fsync(m_fd) != 0)
        return fileWriteError(errno, m_targetPath);
    struct stat existing;
    const mode_t mode = ::stat(target.constData(), &existing) == 0 ? (existing.st_mode & 07777)
                        : m_newFileMode == NewFileMode::Private    ? mode_t(0600)
                                                                   : (0666 & ~currentUmask());
    if (::fchmod(m_fd, mode) != 0)
        return fileWriteError(errno, m_targetPath);
    if (m_temporaryName.isEmpty()) {
        if (const Status linked = linkUnnamedFile(); !linked)
            return linked;
    }
    if (std::rename(m_temporaryName.constData(), target.constData()) != 0)
        return fileWriteError(errno, m_targetPath);
    m_temporaryName.clear();
    ::close(m_fd);
    m_fd = -1;
    syncFolderOf(m_targetPath);
    return {};
}

// Gives the complete unnamed file a hidden name beside the target, for the
// rename that replaces the target in one step.
Status AtomicFile::linkUnnamedFile()
{
    const QByteArray self = nativePath(descriptorPath());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = hiddenNameBeside(m_targetPath);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) ==
            0) {
            m_temporaryName = name;
            return {};
        }
        if (errno != EEXIST)
            return fileWriteError(errno, m_targetPath);
    }
    return fileWriteError(EEXIST, m_targetPath);
}

} // namespace velko
