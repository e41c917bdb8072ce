#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// Whole reads and writes on a file descriptor, retried where the system
// stops short or is interrupted.
namespace velko::io {

// Writes all of `data`; 0, or the errno value of the failure.
int writeAll(int fd, QByteArrayView data);

// The whole content of the file from its start; no value on failure (errno
// tells why).
std::optional<QByteArray> readWhole(int fd);

} // namespace velko::io
