#include "core/documentfile.h"

#include <QFile>

namespace velko {

Result<QByteArray> readDocumentFile(const QString& path)
{
    if (const Status regular = checkRegularFile(path); !regular)
        return regular.error();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return makeError(ErrorCode::FileRead,
                         QStringLiteral("%1: %2").arg(path, file.errorString()));
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return makeError(ErrorCode::FileRead,
                         QStringLiteral("%1: %2").arg(path, file.errorString()));
    return data;
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
