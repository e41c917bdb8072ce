#pragma once

#include "core/atomicfile.h"
#include "core/result.h"

#include <QByteArray>
#include <QString>

namespace velko {

// Reads a whole document file. NotRegularFile for a folder, a pipe or a
// device (never read: a device may have no end), FileRead otherwise.
Result<QByteArray> readDocumentFile(const QString& path);

// Writes `data` as the whole content of `path` through an AtomicFile: an
// existing file is untouched when the write fails, and keeps its mode.
Status writeDocumentFile(const QString& path, const QByteArray& data,
                         NewFileMode newFileMode = NewFileMode::Usual);

} // namespace velko
