#pragma once

#include "core/result.h"

#include <QString>

namespace velko {

// The commands whose failures are told in an alert.
enum class Operation { Open, Save, Secure, Unlock, Mail, ExportPdf, Translate, InsertPicture };

// The one place where errors become words for the user: the alert's title
// names what failed, its text why.
QString failureTitle(Operation operation);
QString userMessage(const Error& error);

} // namespace velko
