#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QString>

namespace velko {

// The mode a file gets when it does not exist yet. A file being replaced
// keeps its own mode whatever is asked here.
enum class NewFileMode {
    Usual,   // 0666 less the umask, like any file the user saves
    Private, // 0600: plaintext of a secure document, lists of the user's files
};

// The one way files are written: the whole content goes to a file with no
// name yet (or, where the file system has no unnamed files, a hidden name
// beside the target created 0600), only through the descriptor made here;
// on commit it is flushed to disk, given its mode and renamed over the
// target in one step. Until then the target stays as it was; without a
// commit nothing is left behind. A symbolic link is kept and the file it
// points to is replaced, as editors do. A read-only target is refused.
// Paths keep their bytes (core/nativepath.h), also where they are not UTF-8.
class AtomicFile
{
public:
    explicit AtomicFile(QString targetPath, NewFileMode newFileMode = NewFileMode::Usual);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Checks the target and opens the file to write. NotRegularFile for a
    // folder or a device, FileReadOnly for a read-only file, FileWrite when
    // the folder cannot take a file.
    Status create();

    // A name that opens this file's own descriptor, never a name in the
    // target's folder: for handing the file to a child process as output.
    QString descriptorPath() const;

    // Appends `data`. DiskFull, FileTooLarge or FileWrite on failure.
    Status write(const QByteArray& data);
    // The whole content written so far.
    Result<QByteArray> readBack() const;
    // Why a child's write into descriptorPath() failed, when the file system
    // tells (no space left, size limit reached); otherwise `otherwise`.
    Error childWriteFailure(Error otherwise) const;

    // Flushes, sets the mode and renames the file over the target.
    Status commit();

private:
    Status linkUnnamedFile();

    QString m_targetPath;
    NewFileMode m_newFileMode;
    int m_fd = -1;
    QByteArray m_temporaryName; // only where the file system has no unnamed files
};

// An error of the kind `errnoValue` describes, about writing `path`.
Error fileWriteError(int errnoValue, const QString& path);

// Why a child's write into the file open on `fd` failed, when the file
// system tells (no space left, size limit reached); otherwise `otherwise`.
Error writeFailureOf(int fd, const QString& name, Error otherwise);

// Status of `path` as a document file: NotRegularFile naming what it is
// instead (a folder, a named pipe, a device), FileRead when it is missing.
Status checkRegularFile(const QString& path);

} // namespace velko
