#include "app/application.h"

#include "app/appcontroller.h"
#include "app/layout.h"
#include "engine/engine.h"

#include <QApplication>
#include <QMainWindow>

namespace velko {

int runApplication(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velko"));
    QApplication::setApplicationVersion(QStringLiteral(VELKO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("velko"));
    QApplication::setQuitOnLastWindowClosed(false);

    std::unique_ptr<Layout> layout = buildLayout();
    AppController* controller = layout->appController;
    QObject::connect(controller, &AppController::terminateRequested, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(layout->engine, &Engine::terminateRequested, &app, &QApplication::quit,
                     Qt::QueuedConnection);

    controller->awakeFromNib();
    controller->applicationWillFinishLaunching();
    layout->mainWindow->show();
    controller->applicationDidFinishLaunching();
    return app.exec();
}

} // namespace velko
