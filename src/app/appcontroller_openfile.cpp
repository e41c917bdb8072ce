// Files handed over by the desktop, and the unlock-on-open window.
#include "app/appcontroller.h"

#include "core/desktop/recentdocuments.h"
#include "core/desktop/useraccount.h"
#include "core/documentfile.h"
#include "core/documentkind.h"
#include "engine/alerts.h"
#include "engine/engine.h"
#include "feedback/childwindow.h"
#include "feedback/sheets.h"
#include "feedback/velkotextview.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>

#include <utility>

namespace velko {

bool AppController::application(QCoreApplication*, const QString& openFile)
{
    // 1. The home folder is the current directory, also when this request
    //    is what started the application.
    QDir::setCurrent(homeDirectory());
    // 2. Remember the request.
    state->openedFileNameByDoubleClick = QString(openFile);
    // 3. Secure or plain: decided by the file itself, not by folder names.
    if (documentKindOfFile(openFile) == DocumentKind::Secure) {
        m_lockedFilePath = openFile;
        attachChildWindow(theMainWindow, windowUnlockFileWithKeyword);
        windowUnlockFileWithKeyword->setWindowTitle(openFile);
        return true;
    }
    // Plain path: unsaved edits are never replaced without asking. A second
    // request while the question is open replaces the file it is about.
    if (state->textChanged) {
        m_pendingPlainPath = openFile;
        if (!m_askingBeforeOpen) {
            m_askingBeforeOpen = true;
            beginAlertSheet(theMainWindow, alerts::openAnother(), this,
                            &AppController::openHandedOverFileAnyway);
        }
        return true;
    }
    openPlainFile(openFile);
    return true;
}

void AppController::openSecureDocument(const QString& path)
{
    cancelEndsTheEditor = false;
    application(QCoreApplication::instance(), path);
}

void AppController::openHandedOverFileAnyway(QMessageBox*, int returnCode, void*)
{
    m_askingBeforeOpen = false;
    const QString path = std::exchange(m_pendingPlainPath, QString());
    if (returnCode != kAlertFirstButtonReturn)
        return;
    openPlainFile(path);
}

void AppController::openPlainFile(const QString& path)
{
    // Read before anything changes; the document becomes a clean plain one
    // and joins the desktop's recent documents.
    engine->openPlainDocument(path);
}

void AppController::btnOpenLockedFileOK()
{
    // Unsaved edits are asked about first, on the window whose OK was
    // pressed, so a second press cannot ask twice.
    if (state->textChanged) {
        beginAlertSheet(windowUnlockFileWithKeyword, alerts::openAnother(), this,
                        &AppController::unlockHandedOverFileAnyway);
        return;
    }
    unlockHandedOverFile();
}

void AppController::unlockHandedOverFileAnyway(QMessageBox*, int returnCode, void*)
{
    if (returnCode != kAlertFirstButtonReturn) {
        returnFocusTo(fieldKeyWord);
        return;
    }
    unlockHandedOverFile();
}

void AppController::unlockHandedOverFile()
{
    // 1. The keyword, unchanged (it may be empty).
    const SecretBytes keyword = keywordOf(fieldKeyWord);
    // 2.-4. Decipher, this window's cipher first, and make the rich text the
    //    clean current document, as the document window's Unlock does.
    const Result<QString> opened =
        engine->unlockDocument(m_lockedFilePath, state->selectedCipher, keyword.view());
    // 5. Empty the field; close the window once the document is open.
    fieldKeyWord->clear();
    if (!opened) {
        engine->showFailure(Operation::Unlock, opened.error(), fieldKeyWord);
        return;
    }
    detachChildWindow(theMainWindow, windowUnlockFileWithKeyword);
}

void AppController::btnOpenLockedFileCancel()
{
    // An editor that was running already only closes the window.
    if (!cancelEndsTheEditor) {
        fieldKeyWord->clear();
        detachChildWindow(theMainWindow, windowUnlockFileWithKeyword);
        return;
    }
    // Ends the application; unsaved edits get Quit's question first.
    if (state->textChanged) {
        beginAlertSheet(windowUnlockFileWithKeyword, alerts::quit(), this,
                        &AppController::QuitAlert);
        return;
    }
    emit terminateRequested();
}

void AppController::QuitAlert(QMessageBox*, int returnCode, void*)
{
    if (returnCode == kAlertFirstButtonReturn)
        emit terminateRequested();
    else
        returnFocusTo(fieldKeyWord);
}

} // namespace velko
