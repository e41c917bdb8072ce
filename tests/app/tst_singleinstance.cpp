// One Velko per session: later launches hand their files over a private bus.
#include "testsupport.h"

#include "app/application.h"
#include "app/singleinstance.h"
#include "core/cipheroption.h"
#include "core/desktop/recentdocuments.h"
#include "core/nativepath.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QProcess>

#include <unistd.h>

#include <vector>

using namespace velko;
using namespace testsupport;

const char* const kPrivateBusMark = "VELKO_TEST_PRIVATE_BUS";
const int kLaunchTimeoutMs = 15000;

const QString kProgram = QStringLiteral(VELKO_BIN_DIR "/velko");

// A velko process started in `directory` with `arguments` (file names with
// their bytes) and this process's environment.
static std::unique_ptr<QProcess> launch(const QString& directory, const QStringList& arguments)
{
    auto process = std::make_unique<QProcess>();
    process->setWorkingDirectory(directory);
    startKeepingBytes(*process, kProgram, arguments);
    return process;
}

class SingleInstanceTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(kApplicationId));
    }

    // A later launch without files brings the window forward with its token;
    // one with files hands them over as absolute paths, in order, their bytes
    // kept (here not UTF-8), the secure one to the unlock window.
    void laterLaunchesReachRunningWindow()
    {
        TempHome home;
        std::unique_ptr<Layout> layout = makeDocumentWindow();
        SingleInstance instance;
        QCOMPARE(instance.start({}), SingleInstance::Role::Primary);
        connectLaterLaunches(instance, *layout);
        QSignalSpy activated(&instance, &SingleInstance::activateRequested);

        qputenv("XDG_ACTIVATION_TOKEN", "token-42");
        const auto bare = launch(home.path(), {});
        qunsetenv("XDG_ACTIVATION_TOKEN");
        QTRY_VERIFY_WITH_TIMEOUT(bare->state() == QProcess::NotRunning, kLaunchTimeoutMs);
        QTRY_COMPARE(activated.value(0).value(0).toString(), "token-42");

        QDir(home.path()).mkpath("work/old.srtf");
        const QString plainName = pathFromNative("old.srtf/l\xe9tter.rtf");
        const QString secureName = pathFromNative("Locked\xff.SRTF");
        const QString plain = home.filePath("work/" + plainName);
        const QString secure = home.filePath("work/" + secureName);
        QVERIFY(writeFile(plain, "{\\rtf1\\ansi Handed over\\par}"));
        QVERIFY(layout->engine->pipeline.encipher("{\\rtf1 Locked}", kCipherDes3, "k", secure));

        const auto second = launch(home.filePath("work"), {plainName, secureName});
        QTRY_VERIFY_WITH_TIMEOUT(second->state() == QProcess::NotRunning, kLaunchTimeoutMs);
        QCOMPARE(second->exitCode(), 0);
        QTRY_COMPARE(layout->state->fileName, plain);
        QVERIFY(recentDocuments().contains(plain));
        QVERIFY(layout->appController->windowUnlockFileWithKeyword->isVisible());
        QCOMPARE(layout->appController->windowUnlockFileWithKeyword->windowTitle(), secure);
    }

    // Of launches at the same time one keeps the name and stays; the others
    // hand over and end. Once it is gone, the name is free again.
    void simultaneousLaunchesLeaveOnePrimary()
    {
        TempHome home;
        std::vector<std::unique_ptr<QProcess>> launches;
        for (int i = 0; i < 3; ++i)
            launches.push_back(launch(home.path(), {"a.rtf"}));
        QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        QTRY_VERIFY_WITH_TIMEOUT(bus->isServiceRegistered(kApplicationId).value(),
                                 kLaunchTimeoutMs);
        const uint owner = bus->servicePid(kApplicationId).value();
        QProcess* primary = nullptr;
        for (const auto& process : launches) {
            if (process->processId() == qint64(owner))
                primary = process.get();
            else
                QTRY_VERIFY_WITH_TIMEOUT(process->state() == QProcess::NotRunning,
                                         kLaunchTimeoutMs);
        }
        QVERIFY(primary && primary->state() == QProcess::Running);
        primary->kill();
        QVERIFY(primary->waitForFinished());
        QTRY_VERIFY(!bus->isServiceRegistered(kApplicationId));
    }

    // With no session bus to find, a launch runs on its own.
    void withoutSessionBusRunsAlone()
    {
        TempHome home;
        const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        qputenv("DBUS_SESSION_BUS_ADDRESS",
                "unix:path=" + QFile::encodeName(home.filePath("no-bus")));
        const auto alone = launch(home.path(), {"a.rtf"});
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
        QTest::qWait(1500);
        QCOMPARE(alone->state(), QProcess::Running);
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(kApplicationId));
        alone->kill();
        QVERIFY(alone->waitForFinished());
    }
};

// Always under a private bus: a run by hand re-executes in dbus-run-session.
int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty(kPrivateBusMark)) {
        qputenv(kPrivateBusMark, "1");
        std::vector<char*> arguments{const_cast<char*>("dbus-run-session"),
                                     const_cast<char*>("--")};
        arguments.insert(arguments.end(), argv, argv + argc + 1); // with its closing null
        execvp("dbus-run-session", arguments.data());
        std::perror("dbus-run-session");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SingleInstanceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
