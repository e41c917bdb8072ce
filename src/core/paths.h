#pragma once

#include <QString>

namespace velko {

// The folder where save panels start: the user's desktop folder when it
// exists, else Documents, else home. Never created.
QString desktopFolder();

// Where a save panel starts for the document at `documentPath`, to be saved
// with `extension` ("rtf", "srtf"): the document's own folder and name when
// it has a file, the desktop folder and "untitled" when it has none.
struct PanelStart
{
    QString folder;
    QString fileName;
};
PanelStart savePanelStart(const QString& documentPath, const QString& extension);

} // namespace velko
