#include "core/documentkind.h"

#include "core/atomicfile.h"
#include "core/nativepath.h"

#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

namespace velko {

DocumentKind documentKindOf(const QString& path, const QByteArray& contentStart)
{
    const QString ownName = QFileInfo(path).fileName();
    if (ownName.endsWith(QLatin1String(".srtf"), Qt::CaseInsensitive))
        return DocumentKind::Secure;
    if (contentStart.startsWith(kSecureDocumentMagic))
        return DocumentKind::Secure;
    return DocumentKind::Plain;
}

DocumentKind documentKindOfFile(const QString& path)
{
    QByteArray start(sizeof(kSecureDocumentMagic) - 1, Qt::Uninitialized);
    // Only regular files: opening a named pipe would wait for a writer.
    const int fd =
        checkRegularFile(path) ? ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC) : -1;
    const ssize_t length = fd >= 0 ? ::read(fd, start.data(), size_t(start.size())) : 0;
    if (fd >= 0)
        ::close(fd);
    start.truncate(qMax(length, ssize_t(0)));
    return documentKindOf(path, start);
}

} // namespace velko
