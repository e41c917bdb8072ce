#pragma once

#include "core/result.h"

#include <QString>

namespace velko {

// The one place where errors become words for the user.
QString userMessage(const Error& error);

} // namespace velko
