#include "core/pendingfile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velko {

namespace {

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
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

} // namespace

PendingFile::PendingFile(QString targetPath) : m_targetPath(std::move(targetPath)) {}

PendingFile::~PendingFile()
{
    if (!m_temporaryPath.isEmpty())
        QFile::remove(m_temporaryPath);
}

Status PendingFile::create()
{
    const QFileInfo target(m_targetPath);
    if (target.isDir())
        return makeError(ErrorCode::FileWrite, QStringLiteral("%1 is a folder.").arg(m_targetPath));
    QByteArray name = QFile::encodeName(target.absolutePath() + QStringLiteral("/.") +
                                        target.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(name.data(), O_CLOEXEC); // mode 0600
    if (fd < 0)
        return makeError(
            ErrorCode::FileWrite,
            QStringLiteral("Cannot write in %1: %2").arg(target.absolutePath(), errnoText()));
    ::close(fd);
    m_temporaryPath = QFile::decodeName(name);
    return {};
}

QString PendingFile::temporaryPath() const
{
    return m_temporaryPath;
}

Status PendingFile::write(const QByteArray& data)
{
    if (m_temporaryPath.isEmpty())
        return makeError(ErrorCode::Internal, QStringLiteral("No temporary file."));
    QFile file(m_temporaryPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size() ||
        !file.flush()) {
        return makeError(
            ErrorCode::FileWrite,
            QStringLiteral("Cannot write %1: %2").arg(m_targetPath, file.errorString()));
    }
    return {};
}

Result<QByteArray> PendingFile::readBack() const
{
    QFile file(temporaryPath());
    if (!file.open(QIODevice::ReadOnly))
        return makeError(
            ErrorCode::FileRead,
            QStringLiteral("Cannot read back %1: %2").arg(m_targetPath, file.errorString()));
    return file.readAll();
}

Status PendingFile::commit()
{
    if (m_temporaryPath.isEmpty())
        return makeError(ErrorCode::Internal, QStringLiteral("No temporary file."));
    const QByteArray temporary = QFile::encodeName(m_temporaryPath);
    const QByteArray target = QFile::encodeName(m_targetPath);

    struct stat existing;
    const mode_t mode = ::stat(target.constData(), &existing) == 0 ? (existing.st_mode & 07777)
                                                                   : (0666 & ~currentUmask());
    if (::chmod(temporary.constData(), mode) != 0 ||
        std::rename(temporary.constData(), target.constData()) != 0) {
        return makeError(ErrorCode::FileWrite,
                         QStringLiteral("Cannot replace %1: %2").arg(m_targetPath, errnoText()));
    }
    m_temporaryPath.clear();
    return {};
}

} // namespace velko
