#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <optional>

namespace velko {

// Reads a whole document file. FileRead with the reason on failure.
Result<QByteArray> readDocumentFile(const QString& path);

// Writes `data` to `path` atomically (temporary file, then rename); an
// existing file is untouched when the write fails. FileWrite with the reason.
// `permissions`, when given, replace those the file would otherwise get.
Status writeDocumentFile(const QString& path, const QByteArray& data,
                         std::optional<QFileDevice::Permissions> permissions = std::nullopt);

} // namespace velko
