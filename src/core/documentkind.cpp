#include "core/documentkind.h"

#include <QFile>
#include <QFileInfo>

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
    QByteArray start;
    QFile file(path);
    // Only regular files: opening a named pipe would wait for a writer.
    if (QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly))
        start = file.read(sizeof(kSecureDocumentMagic) - 1);
    return documentKindOf(path, start);
}

} // namespace velko
