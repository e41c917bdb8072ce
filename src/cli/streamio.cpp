#include "cli/streamio.h"

#include "core/pendingfile.h"

#include <QFile>

#include <cstdio>

namespace velko::cli {

Result<QByteArray> readInput(const QString& input)
{
    QFile file;
    const bool opened = input == kStream
                            ? file.open(stdin, QIODevice::ReadOnly)
                            : (file.setFileName(input), file.open(QIODevice::ReadOnly));
    if (!opened)
        return makeError(ErrorCode::FileRead,
                         QStringLiteral("Cannot read %1: %2").arg(input, file.errorString()));
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return makeError(ErrorCode::FileRead,
                         QStringLiteral("Cannot read %1: %2").arg(input, file.errorString()));
    return data;
}

Status writeOutput(const QString& output, const QByteArray& data)
{
    if (output == kStream) {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) || out.write(data) != data.size() ||
            !out.flush())
            return makeError(
                ErrorCode::FileWrite,
                QStringLiteral("Cannot write standard output: %1").arg(out.errorString()));
        return {};
    }
    PendingFile file(output);
    if (const Status created = file.create(); !created)
        return created;
    if (const Status written = file.write(data); !written)
        return written;
    return file.commit();
}

} // namespace velko::cli
