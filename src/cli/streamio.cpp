#include "cli/streamio.h"

#include "core/descriptorio.h"
#include "core/documentfile.h"

#include <QFile>

#include <unistd.h>

namespace velko::cli {

Result<QByteArray> readInput(const QString& input)
{
    if (input != kStream)
        return readDocumentFile(input);
    QFile file;
    if (!file.open(stdin, QIODevice::ReadOnly))
        return makeError(ErrorCode::FileRead,
                         QStringLiteral("Cannot read standard input: %1").arg(file.errorString()));
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return makeError(ErrorCode::FileRead,
                         QStringLiteral("Cannot read standard input: %1").arg(file.errorString()));
    return data;
}

Status writeOutput(const QString& output, const QByteArray& data)
{
    if (output != kStream)
        return writeDocumentFile(output, data, NewFileMode::Private);
    if (const int failed = io::writeAll(STDOUT_FILENO, data))
        return fileWriteError(failed, QStringLiteral("standard output"));
    return {};
}

} // namespace velko::cli
