#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QString>

namespace velko {

// A file in memory only: no name in any folder, gone when this object goes,
// however the process ends (killed included). Children open it by the name
// of its descriptor, so ciphertext between stages never reaches a disk.
class MemoryFile
{
public:
    MemoryFile();
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // Internal with the reason when the system gave no such file.
    Status status() const;
    // A name that opens this file: for a child's input or output.
    QString path() const;

    Status write(const QByteArray& data);
    // Why a child's write into path() failed, when the system tells (the
    // file size limit holds for files in memory too); otherwise `otherwise`.
    Error childWriteFailure(Error otherwise) const;
    Result<QByteArray> readAll() const;

private:
    int m_fd;
    int m_errno = 0;
};

} // namespace velko
