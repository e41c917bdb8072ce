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

PanelStart savePanelStart(const QString& documentPath, const QString& extension)
{
    const QFileInfo document(documentPath);
    if (document.isAbsolute() && document.dir().exists())
        return {document.absolutePath(),
                document.completeBaseName() + QLatin1Char('.') + extension};
    return {desktopFolder(), QStringLiteral("untitled.") + extension};
}

} // namespace velko
