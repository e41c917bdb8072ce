#pragma once

#include <QString>

namespace velko {

// The folder where save panels start: the user's desktop folder when it
// exists, else Documents, else home. Never created.
QString desktopFolder();

} // namespace velko
