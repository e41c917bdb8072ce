#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QString>

namespace velko {

// A file that replaces `targetPath` atomically: written under a temporary
// name in the target's folder and renamed over the target on commit. Until
// then an existing target stays as it was; without a commit the temporary
// file is removed when this object goes.
class PendingFile
{
public:
    explicit PendingFile(QString targetPath);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Creates the temporary file (mode 0600). FileWrite when the folder
    // cannot take it.
    Status create();
    QString temporaryPath() const;

    // Writes `data` as the whole content of the temporary file.
    Status write(const QByteArray& data);
    // Reads the temporary file back.
    Result<QByteArray> readBack() const;

    // Gives the file the target's mode (or the usual mode for a new file)
    // and renames it over the target.
    Status commit();

private:
    QString m_targetPath;
    QString m_temporaryPath; // empty until created, and again once committed
};

} // namespace velko
