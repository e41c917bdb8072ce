// Start-up time of the editor: from the launch of the program to the first
// paint of its document window, with a session bus and without one. Runs
// on the display given in DISPLAY, or off screen where there is none.
//
//   bench_startup [launches]     (7 by default)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A private session bus for the launches that have one; stopped at the end.
class SessionBus
{
public:
    bool start()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            return false;
        m_daemon.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                QStringLiteral("--print-address")});
        if (!m_daemon.waitForReadyRead(5000))
            return false;
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        return !m_address.isEmpty();
    }
    ~SessionBus()
    {
        m_daemon.terminate();
        m_daemon.waitForFinished(2000);
    }
    QString address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};

// Milliseconds from the launch to the first paint, or -1 when the editor
// did not tell of one.
double launchOnce(const QProcessEnvironment& environment)
{
    QProcess editor;
    editor.setProcessEnvironment(environment);
    editor.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer clock;
    clock.start();
    editor.start(QStringLiteral(VELKO_BINARY), {});
    double painted = -1;
    while (editor.waitForReadyRead(10000)) {
        if (editor.readAllStandardOutput().contains("painted")) {
            painted = double(clock.nsecsElapsed()) / 1e6;
            break;
        }
    }
    if (!editor.waitForFinished(5000)) {
        editor.kill();
        editor.waitForFinished();
    }
    return painted;
}

void report(const char* name, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    if (times.empty() || times.front() < 0) {
        std::printf("%-22s  no first paint\n", name);
        return;
    }
    std::printf("%-22s  median %6.0f ms   min %6.0f ms   max %6.0f ms   (%zu launches)\n", name,
                times[times.size() / 2], times.front(), times.back(), times.size());
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int launches = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 7;

    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME",
                             "DBUS_SESSION_BUS_ADDRESS"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("VELKO_STARTUP_PROBE"), QStringLiteral("1"));
    const bool onDisplay = environment.contains(QStringLiteral("DISPLAY"));
    if (!onDisplay)
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    std::printf("start-up, launch to first paint (%s; target under 300 ms)\n",
                onDisplay ? qPrintable(QStringLiteral("display ") +
                                       environment.value(QStringLiteral("DISPLAY")))
                          : "off screen");

    // The first launch fills the system's caches (fonts, libraries) and is
    // not counted.
    launchOnce(environment);

    std::vector<double> withoutBus;
    QProcessEnvironment noBus = environment;
    noBus.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                 QStringLiteral("unix:path=") + home.filePath(QStringLiteral("no-bus")));
    for (int i = 0; i < launches; ++i)
        withoutBus.push_back(launchOnce(noBus));
    report("without a session bus", withoutBus);

    SessionBus bus;
    if (!bus.start()) {
        std::printf("%-22s  skipped: no dbus-daemon\n", "with a session bus");
        return 0;
    }
    std::vector<double> withBus;
    QProcessEnvironment busEnvironment = environment;
    busEnvironment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    for (int i = 0; i < launches; ++i)
        withBus.push_back(launchOnce(busEnvironment));
    report("with a session bus", withBus);
    return 0;
}
