#pragma once

#include "core/result.h"

#include <QStringList>

namespace velko {

// The desktop's recently-used list ($XDG_DATA_HOME/recently-used.xbel),
// shared with every other application.
Status addRecentDocument(const QString& path);

// This application's entries that still exist, newest first.
QStringList recentDocuments();

} // namespace velko
