#pragma once

// A stand-in mail client for a temporary home: a shell script registered as
// the default handler of mailto links (a desktop entry plus mimeapps.list),
// which writes the arguments it was started with to a file, one per line.

#include <QDir>
#include <QFile>
#include <QMap>
#include <QStringList>
#include <QUrl>

namespace testsupport {

class FakeMailClient
{
public:
    // Registers `program` (a file name in $HOME/bin) as the mailto handler,
    // under desktop entry `desktopId`. The script exits with `exitCode`,
    // after `sleepSeconds` when that is not zero.
    FakeMailClient(const QString& home, const QString& program, const QString& desktopId,
                   int exitCode = 0, int sleepSeconds = 0)
        : m_record(home + QStringLiteral("/received-arguments"))
    {
        QDir(home).mkpath(QStringLiteral("bin"));
        const QString script = home + QStringLiteral("/bin/") + program;
        writeText(script,
                  QStringLiteral("#!/bin/sh\n"
                                 "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '%1.tmp'\n"
                                 "mv '%1.tmp' '%1'\n"
                                 "sleep %2\n"
                                 "exit %3\n")
                      .arg(m_record)
                      .arg(sleepSeconds)
                      .arg(exitCode));
        QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);
        const QString applications =
            qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications");
        QDir().mkpath(applications);
        m_desktopFile = applications + QLatin1Char('/') + desktopId;
        writeText(m_desktopFile,
                  QStringLiteral("[Desktop Entry]\nType=Application\nName=Fake Mail\n"
                                 "Exec=%1 %u\nMimeType=x-scheme-handler/mailto;\n")
                      .arg(script));
        m_mimeApps = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/mimeapps.list");
        writeText(
            m_mimeApps,
            QStringLiteral("[Default Applications]\nx-scheme-handler/mailto=%1\n").arg(desktopId));
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
        QFile file(m_record);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

    void forget() { QFile::remove(m_record); }

private:
    static void writeText(const QString& path, const QString& text)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(text.toUtf8());
    }

    QString m_record;
    QString m_mimeApps;
    QString m_desktopFile;
};

// The decoded fields of a "mailto:?k=v&k=v" URI; line breaks as LF.
inline QMap<QString, QString> mailtoFields(const QString& uri)
{
    QMap<QString, QString> fields;
    const QString query = uri.section(QLatin1Char('?'), 1);
    for (const QString& pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        QString value = QUrl::fromPercentEncoding(pair.section(QLatin1Char('='), 1).toLatin1());
        value.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        fields.insert(pair.section(QLatin1Char('='), 0, 0), value);
    }
    return fields;
}

// The environment xdg-email needs to take its plain desktop-neutral road to
// the registered handler, isolated from the machine's own settings.
inline void useGenericDesktop(const QString& home)
{
    QDir(home).mkpath(QStringLiteral("empty-data-dirs"));
    QDir(home).mkpath(QStringLiteral("empty-config-dirs"));
    qputenv("XDG_DATA_DIRS", (home + QStringLiteral("/empty-data-dirs")).toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", (home + QStringLiteral("/empty-config-dirs")).toLocal8Bit());
    qputenv("XDG_CURRENT_DESKTOP", "X-Generic");
    qunsetenv("MAILER");
    qunsetenv("BROWSER");
    qunsetenv("KDE_FULL_SESSION");
    qunsetenv("GNOME_DESKTOP_SESSION_ID");
}

// The real xdg-email, run with a display set: xdg-open starts graphical
// handlers only when there is one. Only the child sees it; in the test
// process a display that is not there would reach Qt's X11 code.
inline QString xdgEmailWithDisplay(const QString& home)
{
    QDir(home).mkpath(QStringLiteral("bin"));
    const QString path = home + QStringLiteral("/bin/xdg-email-on-display");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write("#!/bin/sh\nDISPLAY=:99 exec xdg-email \"$@\"\n");
    file.close();
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    return path;
}

} // namespace testsupport
