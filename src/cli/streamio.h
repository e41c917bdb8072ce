#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QString>

namespace velko::cli {

// "-" names standard input or standard output.
inline const QString kStream = QStringLiteral("-");

// The whole of a file, or of standard input.
Result<QByteArray> readInput(const QString& input);

// Writes the whole output, or nothing: a file is replaced atomically, and
// one that is new is readable by the user only (it holds plaintext).
Status writeOutput(const QString& output, const QByteArray& data);

} // namespace velko::cli
