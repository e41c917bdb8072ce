#include "core/recentdocuments.h"

namespace velko {

Status addRecentDocument(const QString&)
{
    return {};
}

QStringList recentDocuments()
{
    return {};
}

} // namespace velko
