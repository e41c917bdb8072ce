#include "core/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace velko {

QString desktopFolder()
{
    const QString candidates[] = {
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
    };
    for (const QString& folder : candidates) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return QDir::homePath();
}

} // namespace velko
