#include "testfiles.h"

#include "core/nativepath.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <fcntl.h>

namespace testsupport {

namespace {
// Saved and given back; all but the last point into the temporary home.
const char* const kVariables[5] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                                   "XDG_DATA_DIRS"};
const char* const kFolders[4] = {"", "/.local/share", "/.config", "/.cache"};
} // namespace

TempHome::TempHome()
{
    for (int i = 0; i < 5; ++i) {
        m_saved[i] = qgetenv(kVariables[i]);
        if (i < 4 && QDir().mkpath(path() + kFolders[i]))
            qputenv(kVariables[i], QFile::encodeName(path() + kFolders[i]));
    }
}

TempHome::~TempHome()
{
    for (int i = 0; i < 5; ++i)
        m_saved[i].isNull() ? qunsetenv(kVariables[i]) : qputenv(kVariables[i], m_saved[i]);
}

QString TempHome::makeDesktop()
{
    QDir(path()).mkpath("Desktop");
    return filePath("Desktop");
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file;
    const int fd =
        ::open(velko::nativePath(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return fd >= 0 && file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle) &&
           file.write(data) == data.size();
}

QByteArray readFile(const QString& path)
{
    QFile file;
    const int fd = ::open(velko::nativePath(path).constData(), O_RDONLY | O_CLOEXEC);
    return fd >= 0 && file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)
               ? file.readAll()
               : QByteArray();
}

bool writeScript(const QString& path, const QString& text)
{
    return writeFile(path, text.toUtf8()) &&
           QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
}

QMap<QString, QByteArray> filesUnder(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QDir(folder).relativeFilePath(path);
        files.insert(it.fileInfo().isDir() ? name + QLatin1Char('/') : name, readFile(path));
    }
    return files;
}

std::optional<QByteArray> stockEnc(const QStringList& arguments, const QByteArray& input)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OPENSSL_CONF"), QStringLiteral("/dev/null"));
    environment.remove(QStringLiteral("OPENSSL_MODULES"));
    process.setProcessEnvironment(environment);
    process.start(
        QStringLiteral("/usr/bin/openssl"),
        QStringList{"enc"} + arguments +
            QStringList{"-provider", "legacy", "-provider", kRc5Module, "-provider", "default"});
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

void startKeepingBytes(QProcess& process, const QString& program, const QStringList& arguments,
                       const QString& shellFirst)
{
    QStringList spelled{QStringLiteral("-c"),
                        shellFirst + QStringLiteral("for a do shift; v=$(printf '%b.' \"$a\"); "
                                                    "set -- \"$@\" \"${v%.}\"; done; "
                                                    "exec \"$0\" \"$@\""),
                        program};
    for (const QString& argument : arguments) {
        QString text;
        for (const char byte : velko::nativePath(argument)) {
            if (uchar(byte) >= 0x80 || byte == '\\')
                text += QStringLiteral("\\0%1").arg(uchar(byte), 3, 8, QLatin1Char('0'));
            else
                text += QLatin1Char(byte);
        }
        spelled << text;
    }
    process.start(QStringLiteral("/bin/sh"), spelled);
}

} // namespace testsupport
