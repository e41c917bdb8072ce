#include "engine/engine.h"

#include "engine/errortext.h"
#include "feedback/childwindow.h"
#include "feedback/sheets.h"
#include "feedback/velkotextview.h"

#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>

namespace velko {

Engine::Engine(QObject* parent) : QObject(parent) {}

Engine::~Engine() = default;

// --- The document window's cipher pop-up -----------------------------------

void Engine::btnPopUpCipherBlowfishSelected()
{
    state->cipher = kCipherBlowfish;
}

void Engine::btnPopUpCipherDES3Selected()
{
    state->cipher = kCipherDes3;
}

void Engine::btnPopUpCipherRC5Selected()
{
    state->cipher = kCipherRc5;
}

void Engine::btnPopUpCipherRC4Selected()
{
    state->cipher = kCipherRc4;
}

void Engine::btnPopUpCipherAES256Selected()
{
    state->cipher = kCipherAes256;
}

void Engine::selectCipher(const QString& option)
{
    const int index = allCipherOptions().indexOf(option);
    if (index < 0)
        return;
    if (cipherPopUpButton) {
        const QSignalBlocker blocker(cipherPopUpButton);
        cipherPopUpButton->setCurrentIndex(index);
    }
    state->cipher = option;
}

// --- About box ---------------------------------------------------------------

void Engine::btnShowAboutBox()
{
    attachChildWindow(mainWindow, aboutWindowOpen);
}

void Engine::btnAboutBoxClose()
{
    detachChildWindow(mainWindow, aboutWindowOpen);
}

// --- Shared by the commands ----------------------------------------------------

void Engine::showFailure(Operation operation, const Error& error, QWidget* focusAfter)
{
    const QString what = failureTitle(operation);
    QMessageBox* alert = createNotice(mainWindow, QMessageBox::Warning, what);
    alert->setInformativeText(userMessage(error));
    m_focusAfterFailure = focusAfter;
    if (focusAfter)
        connect(alert, &QMessageBox::finished, this, &Engine::restoreFocusAfterFailure);
    alert->open();
}

void Engine::restoreFocusAfterFailure()
{
    returnFocusTo(m_focusAfterFailure);
}

void Engine::showPathInLabelAndTitle(const QString& path)
{
    setFileNameLabel->setText(path);
    mainWindow->setWindowTitle(path);
}

Status Engine::replaceTextWithRtf(const QByteArray& rtf)
{
    return VelkoField->setRtfFromCode(rtf);
}

} // namespace velko
