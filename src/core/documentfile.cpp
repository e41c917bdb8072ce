#include "core/documentfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace velko {

Result<QByteArray> readDocumentFile(const QString& path)
{
    QFile file(path);
    if (QFileInfo(path).isDir())
        return makeError(ErrorCode::FileRead, QStringLiteral("%1: is a folder").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        return makeError(ErrorCode::FileRead,
                         QStringLiteral("%1: %2").arg(path, file.errorString()));
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return makeError(ErrorCode::FileRead,
                         QStringLiteral("%1: %2").arg(path, file.errorString()));
    return data;
}

Status writeDocumentFile(const QString& path, const QByteArray& data,
                         std::optional<QFileDevice::Permissions> permissions)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return makeError(ErrorCode::FileWrite,
                         QStringLiteral("%1: %2").arg(path, file.errorString()));
    if (permissions)
        file.setPermissions(*permissions);
    if (file.write(data) != data.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return makeError(ErrorCode::FileWrite, QStringLiteral("%1: %2").arg(path, reason));
    }
    if (!file.commit())
        return makeError(ErrorCode::FileWrite,
                         QStringLiteral("%1: %2").arg(path, file.errorString()));
    return {};
}

} // namespace velko
