#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QString>

namespace velko {

// Reads a whole document file. FileRead with the reason on failure.
Result<QByteArray> readDocumentFile(const QString& path);

// Writes `data` to `path` atomically (temporary file, then rename); an
// existing file is untouched when the write fails. FileWrite with the reason.
Status writeDocumentFile(const QString& path, const QByteArray& data);

} // namespace velko
