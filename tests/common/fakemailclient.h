#pragma once
// A stand-in mail client in a temporary home: a script registered as the
// mailto handler that writes its arguments to a file, one per line.
#include "testfiles.h"
#include <QDir>
#include <QFile>
#include <QMap>
#include <QUrl>
namespace testsupport {
class FakeMailClient
{
public:
    // Registers `program` (a file name in $HOME/bin) as the mailto handler,
    // under desktop entry `desktopId`; the script exits with `exitCode`.
    FakeMailClient(const QString& home, const QString& program, const QString& desktopId,
                   int exitCode = 0)
        : m_record(home + "/received-arguments"),
          m_desktopFile(qEnvironmentVariable("XDG_DATA_HOME") + "/applications/" + desktopId),
          m_mimeApps(qEnvironmentVariable("XDG_CONFIG_HOME") + "/mimeapps.list")
    {
        QFile::remove(m_record);
        QDir(home).mkpath("bin");
        QDir().mkpath(QFileInfo(m_desktopFile).path());
        const QString script = home + "/bin/" + program;
        writeScript(script, QString("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1.tmp'\n"
                                    "mv '%1.tmp' '%1'\nexit %2\n")
                                .arg(m_record)
                                .arg(exitCode));
        writeFile(m_desktopFile, "[Desktop Entry]\nType=Application\nName=Fake Mail\nExec=" +
                                     script.toUtf8() + " %u\nMimeType=x-scheme-handler/mailto;\n");
        writeFile(m_mimeApps,
                  "[Default Applications]\nx-scheme-handler/mailto=" + desktopId.toUtf8() + '\n');
    }
    // Forgets the handler: no mail client is set up any more (an entry that
    // only claims mailto links would still count as one).
    void unregister()
    {
        QFile::remove(m_mimeApps);
        QFile::remove(m_desktopFile);
    }
    bool wasStarted() const { return QFile::exists(m_record); }
    QStringList arguments() const
    {
        return QString::fromUtf8(readFile(m_record)).split('\n', Qt::SkipEmptyParts);
    }

private:
    QString m_record, m_desktopFile, m_mimeApps;
};
// The decoded fields of a "mailto:?k=v&k=v" URI; line breaks as LF.
inline QMap<QString, QString> mailtoFields(const QString& uri)
{
    QMap<QString, QString> fields;
    for (const QString& pair : uri.section('?', 1).split('&'))
        fields.insert(
            pair.section('=', 0, 0),
            QUrl::fromPercentEncoding(pair.section('=', 1).toLatin1()).replace("\r\n", "\n"));
    return fields;
}
// The real xdg-email on its desktop-neutral road to the registered handler,
// away from the machine's settings, with a display set for the child alone
// (xdg-open starts graphical handlers only then; Qt here must not see it).
inline QString genericXdgEmail(const QString& home)
{
    QDir(home).mkpath("empty-dirs");
    qputenv("XDG_DATA_DIRS", QFile::encodeName(home + "/empty-dirs"));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(home + "/empty-dirs"));
    qputenv("XDG_CURRENT_DESKTOP", "X-Generic");
    for (const char* name : {"MAILER", "BROWSER", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID"})
        qunsetenv(name);
    QDir(home).mkpath("bin");
    const QString path = home + "/bin/xdg-email-on-display";
    writeScript(path, "#!/bin/sh\nDISPLAY=:99 exec xdg-email \"$@\"\n");
    return path;
}
} // namespace testsupport
