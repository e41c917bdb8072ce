// One running Velko per session: later launches hand their files over the
// session bus. Runs itself under a private bus (dbus-run-session) so it never
// meets the user's own session.
#include "testsupport.h"

#include "app/appcontroller.h"
#include "app/application.h"
#include "app/layout.h"
#include "app/singleinstance.h"
#include "core/documentstate.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <unistd.h>

#include <vector>

using namespace velko;

namespace {

const char* const kPrivateBusMark = "VELKO_TEST_PRIVATE_BUS";
const int kLaunchTimeoutMs = 15000;

const QString kProgram = QStringLiteral(VELKO_BIN_DIR "/velko");

// A velko process started in `directory` with `arguments`.
std::unique_ptr<QProcess>
launch(const QString& directory, const QStringList& arguments,
       const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    auto process = std::make_unique<QProcess>();
    process->setWorkingDirectory(directory);
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(kProgram, arguments);
    return process;
}

// Waits while the event loop runs, so this process can answer bus calls.
bool waitForExit(QProcess* process, int timeoutMs = kLaunchTimeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (process->state() != QProcess::NotRunning && timer.elapsed() < timeoutMs)
        QTest::qWait(20);
    return process->state() == QProcess::NotRunning;
}

void stop(QProcess* process)
{
    if (process->state() == QProcess::NotRunning)
        return;
    process->terminate();
    if (!process->waitForFinished(5000)) {
        process->kill();
        process->waitForFinished(5000);
    }
}

} // namespace

class SingleInstanceTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void laterLaunchesReachRunningWindow();
    void simultaneousLaunchesLeaveOnePrimary();
    void withoutSessionBusEachRunsAlone();
};

void SingleInstanceTest::initTestCase()
{
    QVERIFY2(QFileInfo(kProgram).isExecutable(), "build the velko target first");
    QVERIFY(QDBusConnection::sessionBus().isConnected());
    QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(kApplicationId));
}

// A later launch without files asks the running window to come forward,
// passing its activation token; one with files hands them over.
void SingleInstanceTest::laterLaunchesReachRunningWindow()
{
    testsupport::TempHome home;
    std::unique_ptr<Layout> layout = testsupport::makeDocumentWindow();
    SingleInstance instance;
    QCOMPARE(instance.start({}), SingleInstance::Role::Primary);
    connectLaterLaunches(instance, *layout);
    QSignalSpy activated(&instance, &SingleInstance::activateRequested);
    QSignalSpy opened(&instance, &SingleInstance::openRequested);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), QStringLiteral("token-42"));
    const auto bare = launch(home.path(), {}, environment);
    QVERIFY(waitForExit(bare.get()));
    QCOMPARE(bare->exitCode(), 0);
    QTRY_COMPARE(activated.size(), 1);
    QCOMPARE(activated.at(0).at(0).toString(), QStringLiteral("token-42"));
    QCOMPARE(opened.size(), 0);

    // Two files named relative to the later launch's own directory.
    QDir(home.path()).mkpath(QStringLiteral("work/old.srtf"));
    const QString plain = home.filePath(QStringLiteral("work/old.srtf/letter.rtf"));
    const QString secure = home.filePath(QStringLiteral("work/Locked.SRTF"));
    QVERIFY(testsupport::writeFile(plain, "{\\rtf1\\ansi Handed over\\par}"));
    QVERIFY(testsupport::writeFile(secure, "U2FsdGVkX1+AAAAAAAAAAA==\n"));

    QElapsedTimer timer;
    timer.start();
    const auto second =
        launch(home.filePath(QStringLiteral("work")),
               {QStringLiteral("old.srtf/letter.rtf"), QStringLiteral("Locked.SRTF")});
    QVERIFY(waitForExit(second.get()));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    qInfo("second launch handed over and ended in %lld ms", timer.elapsed());

    // Both requests reached this window, in order, as absolute paths.
    QTRY_COMPARE(layout->state->fileName, plain);
    QCOMPARE(layout->mainWindow->windowTitle(), plain);
    QCOMPARE(layout->state->openedFileNameByDoubleClick, secure);
    QVERIFY(layout->appController->windowUnlockFileWithKeyword->isVisible());
    QCOMPARE(layout->appController->windowUnlockFileWithKeyword->windowTitle(), secure);
}

void SingleInstanceTest::simultaneousLaunchesLeaveOnePrimary()
{
    testsupport::TempHome home;
    QVERIFY(testsupport::writeFile(home.filePath(QStringLiteral("a.rtf")), "{\\rtf1 a}"));
    std::vector<std::unique_ptr<QProcess>> launches;
    for (int i = 0; i < 3; ++i)
        launches.push_back(launch(home.path(), {QStringLiteral("a.rtf")}));
    QTRY_VERIFY_WITH_TIMEOUT(
        QDBusConnection::sessionBus().interface()->isServiceRegistered(kApplicationId).value(),
        kLaunchTimeoutMs);
    const uint owner =
        QDBusConnection::sessionBus().interface()->servicePid(kApplicationId).value();

    // The two that did not get the name hand over and end; the owner stays.
    int ended = 0;
    QProcess* primary = nullptr;
    for (const auto& process : launches) {
        if (process->processId() == qint64(owner)) {
            primary = process.get();
            continue;
        }
        QVERIFY(waitForExit(process.get()));
        QCOMPARE(process->exitCode(), 0);
        ++ended;
    }
    QCOMPARE(ended, 2);
    QVERIFY(primary);
    QCOMPARE(primary->state(), QProcess::Running);

    // Once it is gone, the name is free for the next launch.
    stop(primary);
    QTRY_VERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(kApplicationId));
}

void SingleInstanceTest::withoutSessionBusEachRunsAlone()
{
    testsupport::TempHome home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QStringLiteral("unix:path=") + home.filePath(QStringLiteral("no-bus")));
    const auto first = launch(home.path(), {QStringLiteral("a.rtf")}, environment);
    const auto second = launch(home.path(), {QStringLiteral("b.rtf")}, environment);
    QVERIFY(first->waitForStarted() && second->waitForStarted());
    QTest::qWait(1500);
    QCOMPARE(first->state(), QProcess::Running);
    QCOMPARE(second->state(), QProcess::Running);
    QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(kApplicationId));
    stop(first.get());
    stop(second.get());
}

// Under a private session bus, always: a run by hand re-executes itself
// inside dbus-run-session.
int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty(kPrivateBusMark)) {
        qputenv(kPrivateBusMark, "1");
        std::vector<char*> arguments{const_cast<char*>("dbus-run-session"),
                                     const_cast<char*>("--")};
        for (int i = 0; i < argc; ++i)
            arguments.push_back(argv[i]);
        arguments.push_back(nullptr);
        execvp("dbus-run-session", arguments.data());
        std::perror("dbus-run-session");
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SingleInstanceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
