#include "testfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

namespace testsupport {

namespace {
const char* const kVariables[5] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                                   "XDG_DATA_DIRS"};
const char* const kFolders[3] = {"/.local/share", "/.config", "/.cache"};
} // namespace

TempHome::TempHome()
{
    for (int i = 0; i < 5; ++i)
        m_saved[i] = qgetenv(kVariables[i]);
    qputenv("HOME", m_dir.path().toLocal8Bit());
    for (int i = 0; i < 3; ++i) {
        const QString folder = m_dir.path() + QLatin1String(kFolders[i]);
        QDir().mkpath(folder);
        qputenv(kVariables[i + 1], folder.toLocal8Bit());
    }
}

TempHome::~TempHome()
{
    for (int i = 0; i < 5; ++i) {
        if (m_saved[i].isNull())
            qunsetenv(kVariables[i]);
        else
            qputenv(kVariables[i], m_saved[i]);
    }
}

QString TempHome::makeDesktop()
{
    QDir(path()).mkpath(QStringLiteral("Desktop"));
    return filePath(QStringLiteral("Desktop"));
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

} // namespace testsupport
