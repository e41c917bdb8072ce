#include "app/application.h"

#include "app/appcontroller.h"
#include "app/commandline.h"
#include "app/layout.h"
#include "app/sessionwatch.h"
#include "app/singleinstance.h"
#include "core/nativepath.h"
#include "core/preferences.h"
#include "engine/engine.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QMainWindow>

#include <cstdio>

namespace velko {

namespace {

// Prints the answer to --help, --version or a bad argument. Returns the
// exit status, or -1 when the program should go on.
int answerCommandLine(const CommandLine& commandLine)
{
    if (!commandLine.error.isEmpty()) {
        std::fprintf(stderr, "velko: %s\n\n%s", qPrintable(commandLine.error),
                     qPrintable(commandLineHelp()));
        return 2;
    }
    if (commandLine.showHelp) {
        std::fputs(qPrintable(commandLineHelp()), stdout);
        return 0;
    }
    if (commandLine.showVersion) {
        std::printf("velko %s\n", VELKO_VERSION);
        return 0;
    }
    return -1;
}

bool asksOnlyForText(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--")
            return false;
        if (argument == "-h" || argument == "--help" || argument == "--help-all" ||
            argument == "-?" || argument == "-v" || argument == "--version")
            return true;
    }
    return false;
}

// Receives the requests of later launches for the running window.
class RequestReceiver : public QObject
{
public:
    RequestReceiver(Layout* layout, QObject* parent) : QObject(parent), m_layout(layout) {}

    void open(const QStringList& paths, const QString& activationToken)
    {
        activate(activationToken);
        // The editor was running before these files came: cancelling one of
        // them must not end it.
        m_layout->appController->cancelEndsTheEditor = false;
        for (const QString& path : paths)
            m_layout->appController->application(qApp, path);
    }

    void activate(const QString& activationToken)
    {
        // Under Wayland the window may come forward only with the token of
        // the launch that asked; Qt takes it from the environment once.
        if (!activationToken.isEmpty() &&
            QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
            qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
        QMainWindow* window = m_layout->mainWindow.get();
        if (window->isMinimized())
            window->showNormal();
        window->raise();
        window->activateWindow();
    }

private:
    Layout* m_layout;
};

// With VELKO_STARTUP_PROBE set, the first paint of the document window is
// told on standard output and the editor ends: the start-up benchmark
// measures launches with it.
class StartupProbe : public QObject
{
public:
    explicit StartupProbe(QWidget* window) : QObject(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Told once the paint is done and on screen.
            QMetaObject::invokeMethod(this, &StartupProbe::report, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void report()
    {
        std::fputs("painted\n", stdout);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }
};

} // namespace

void connectLaterLaunches(SingleInstance& instance, Layout& layout)
{
    auto* receiver = new RequestReceiver(&layout, layout.mainWindow.get());
    QObject::connect(&instance, &SingleInstance::openRequested, receiver, &RequestReceiver::open);
    QObject::connect(&instance, &SingleInstance::activateRequested, receiver,
                     &RequestReceiver::activate);
}

void connectTermination(Layout& layout)
{
    QMainWindow* window = layout.mainWindow.get();
    const auto leaveEventLoop = [window] {
        saveWindowGeometry(window->saveGeometry());
        QCoreApplication::exit(0);
    };
    QObject::connect(layout.appController, &AppController::terminateRequested, qApp, leaveEventLoop,
                     Qt::QueuedConnection);
    QObject::connect(layout.engine, &Engine::terminateRequested, qApp, leaveEventLoop,
                     Qt::QueuedConnection);
}

int runApplication(int argc, char* argv[])
{
    // --help and --version need no display.
    if (asksOnlyForText(argc, argv)) {
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Velko"));
        QCoreApplication::setApplicationVersion(QStringLiteral(VELKO_VERSION));
        return answerCommandLine(parseCommandLine(nativeArguments(argc, argv), currentFolder()));
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velko"));
    QApplication::setApplicationVersion(QStringLiteral(VELKO_VERSION));
    QApplication::setDesktopFileName(kApplicationId);
    // The icon installed with the desktop entry, where the theme has it.
    QApplication::setWindowIcon(QIcon::fromTheme(kApplicationId));
    QApplication::setQuitOnLastWindowClosed(false);

    // Files named at start, made absolute before the launch steps move the
    // current directory home; their names keep the bytes given.
    const CommandLine commandLine = parseCommandLine(nativeArguments(argc, argv), currentFolder());
    const int answered = answerCommandLine(commandLine);
    if (answered >= 0)
        return answered;

    // A running instance takes the files over; this launch then ends.
    SingleInstance instance;
    if (instance.start(commandLine.paths) == SingleInstance::Role::Secondary)
        return 0;

    std::unique_ptr<Layout> layout = buildLayout();
    AppController* controller = layout->appController;
    connectTermination(*layout);
    connectLaterLaunches(instance, *layout);
    lockWhenLeaving(*layout);

    controller->awakeFromNib();
    controller->applicationWillFinishLaunching();
    if (qEnvironmentVariableIsSet("VELKO_STARTUP_PROBE"))
        new StartupProbe(layout->mainWindow.get());
    // Where the last run left it; the window manager keeps it on screen.
    layout->mainWindow->restoreGeometry(loadWindowGeometry());
    layout->mainWindow->show();
    controller->applicationDidFinishLaunching();
    // One open request per file, in order, once the window exists.
    for (const QString& path : commandLine.paths)
        controller->application(&app, path);
    return app.exec();
}

} // namespace velko
