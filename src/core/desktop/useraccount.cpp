#include "core/desktop/useraccount.h"

#include <QDir>

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace velko {

QString fullNameFromGecos(const QString& gecos, const QString& login)
{
    QString name = gecos.section(QLatin1Char(','), 0, 0);
    if (name.contains(QLatin1Char('&'))) {
        QString capitalised = login;
        if (!capitalised.isEmpty())
            capitalised[0] = capitalised[0].toUpper();
        name.replace(QLatin1Char('&'), capitalised);
    }
    name = name.trimmed();
    return name.isEmpty() ? login : name;
}

QString fullUserName()
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? size_t(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
        const QString login = qEnvironmentVariable("USER", qEnvironmentVariable("LOGNAME"));
        return login;
    }
    return fullNameFromGecos(QString::fromLocal8Bit(found->pw_gecos),
                             QString::fromLocal8Bit(found->pw_name));
}

QString homeDirectory()
{
    return QDir::homePath();
}

} // namespace velko
