#pragma once

#include <QString>

namespace velko {

// The user's full name from the user database: the GECOS field up to its
// first comma, '&' standing for the capitalised login name. Falls back to the
// login name when the field is empty.
QString fullUserName();

// The same rule applied to given fields, for tests and for other users.
QString fullNameFromGecos(const QString& gecos, const QString& login);

QString homeDirectory();

} // namespace velko
