#include "app/appcontroller.h"

#include "core/desktop/useraccount.h"
#include "engine/alerts.h"
#include "engine/engine.h"
#include "feedback/sheets.h"

#include <QCloseEvent>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>

namespace velko {

AppController::AppController(QObject* parent) : QObject(parent) {}

void AppController::awakeFromNib()
{
    theMainWindow->installEventFilter(this);
}

void AppController::applicationWillFinishLaunching() {}

void AppController::applicationDidFinishLaunching()
{
    currentUser->setText(fullUserName());
    QDir::setCurrent(homeDirectory());
}

bool AppController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == theMainWindow && event->type() == QEvent::Close) {
        if (!windowShouldClose()) {
            event->ignore();
            return true;
        }
        if (applicationShouldTerminateAfterLastWindowClosed())
            emit terminateRequested();
    }
    return QObject::eventFilter(watched, event);
}

bool AppController::windowShouldClose()
{
    if (!state->textChanged)
        return true;
    // Unsaved edits: ask as Quit does; its OK ends the application.
    beginAlertSheet(theMainWindow, alerts::quit(), engine, &Engine::QuitAlert);
    return false;
}

// --- The unlock-on-open window's cipher pop-up ------------------------------

void AppController::btnPopUpCipherBlowfishSelected()
{
    state->selectedCipher = kCipherBlowfish;
}

void AppController::btnPopUpCipherDES3Selected()
{
    state->selectedCipher = kCipherDes3;
}

void AppController::btnPopUpCipherRC5Selected()
{
    state->selectedCipher = kCipherRc5;
}

void AppController::btnPopUpCipherRC4Selected()
{
    state->selectedCipher = kCipherRc4;
}

void AppController::btnPopUpCipherAES256Selected()
{
    state->selectedCipher = kCipherAes256;
}

} // namespace velko
