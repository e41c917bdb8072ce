// File commands: New, Open, Save, Save As, Clear, Quit.
#include "engine/engine.h"

#include "core/documentfile.h"
#include "core/documentkind.h"
#include "core/paths.h"
#include "engine/alerts.h"
#include "feedback/sheets.h"
#include "feedback/velkotextview.h"

#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>

#include <utility>

namespace velko {

namespace {

const QString kPlainFileType = QStringLiteral("rtf");

// Open offers plain and secure documents; a secure one goes to Unlock.
PanelSpec plainOpenPanel()
{
    return {PanelKind::Open, kAnyDocumentType, QString(), QString()};
}

// Takes an answered alert off the screen; it is deleted after its answer.
void removeAlertSheet(QMessageBox* alert)
{
    if (alert)
        alert->hide();
}

} // namespace

// --- Open ------------------------------------------------------------------

// Loads the plain document at `path` and makes it the clean current
// document. The file is read and checked before anything changes, so a file
// that cannot be read or is no RTF leaves the document as it was.
void Engine::openPlainDocument(const QString& path)
{
    // 1. The file's bytes.
    const Result<QByteArray> data = readDocumentFile(path);
    if (!data) {
        showFailure(Operation::Open, data.error());
        return;
    }
    // 2. Its rich text, built off the window's thread when it is large;
    //    openedDocumentBuilt() goes on.
    if (const Status started =
            buildDocument(data.value(), {path, {}, {}}, &Engine::openedDocumentBuilt);
        !started) {
        Error error = started.error();
        if (!error.detail.contains(path))
            error.detail =
                error.detail.isEmpty() ? path : QStringLiteral("%1: %2").arg(path, error.detail);
        showFailure(Operation::Open, error);
    }
}

// 3. The document built is the file's; called off, nothing changes.
void Engine::openedDocumentBuilt(QTextDocument* document)
{
    const PendingDocument pending = std::exchange(m_pending, {});
    if (!document)
        return;
    // Editable before it shows, so what was made with it for an editable
    // view (the spelling marks) stays as it is.
    VelkoField->setReadOnly(false);
    VelkoField->showDocumentFromCode(document);
    documentOpened(pending.path);
}

// --- Save ------------------------------------------------------------------

void Engine::btnSaveAction()
{
    const bool editable = !VelkoField->isReadOnly();
    if (state->hasDefaultFileName() && editable) {
        beginPanelSheet(mainWindow, plainSavePanel(), this, &Engine::saveDialog);
        return;
    }
    if (!editable) {
        beginAlertSheet(mainWindow, alerts::encryptedText(), this,
                        &Engine::saveAsPlainTextDocument);
        return;
    }
    if (state->isLastSavedASecureFile) {
        beginAlertSheet(mainWindow, alerts::plainSave(), this, &Engine::saveAsPlainTextDocument);
        return;
    }

    // Save in place, to the path the label shows.
    savePlainDocument(setFileNameLabel->text(), SaveKind::InPlace);
}

void Engine::saveAsPlainTextDocument(QMessageBox* alert, int returnCode, void*)
{
    removeAlertSheet(alert);
    if (returnCode != kAlertFirstButtonReturn)
        return;
    beginPanelSheet(mainWindow, plainSavePanel(), this, &Engine::saveDialog);
    // Cleared now, whatever the panel's answer will be.
    state->isLastSavedASecureFile = false;
}

void Engine::saveDialog(QFileDialog* panel, int returnCode, void*)
{
    if (returnCode != kPanelOK)
        return;
    const QString path = chosenPath(panel);
    if (path.isEmpty())
        return;
    savePlainDocument(path, SaveKind::Panel);
}

// --- Save As -----------------------------------------------------------------

void Engine::btnSaveAsAction()
{
    QString path;
    if (runModalPanel(mainWindow, plainSavePanel(), &path) != kPanelOK)
        return;
    savePlainDocument(path, SaveKind::SaveAs);
}

void Engine::savePlainDocument(const QString& path, SaveKind kind)
{
    const QByteArray rtf = VelkoField->rtfOfWholeText();
    if (const Status written = writeDocumentFile(path, rtf); !written) {
        showFailure(Operation::Save, written.error());
        return;
    }
    documentSaved(path, rtf, kind);
}

PanelSpec Engine::plainSavePanel() const
{
    const PanelStart start = savePanelStart(state->fileName, kPlainFileType);
    return {PanelKind::Save, kPlainFileType, start.folder, start.fileName};
}

// --- Open --------------------------------------------------------------------

void Engine::btnOpenAction()
{
    if (state->textChanged) {
        beginAlertSheet(mainWindow, alerts::openAnother(), this,
                        &Engine::openAnotherWithouthSaving);
        return;
    }
    beginPanelSheet(mainWindow, plainOpenPanel(), this, &Engine::openDialog);
}

void Engine::openAnotherWithouthSaving(QMessageBox* alert, int returnCode, void*)
{
    removeAlertSheet(alert);
    if (returnCode != kAlertFirstButtonReturn)
        return;
    beginPanelSheet(mainWindow, plainOpenPanel(), this, &Engine::openDialog);
}

void Engine::openDialog(QFileDialog* panel, int returnCode, void*)
{
    if (returnCode != kPanelOK)
        return;
    const QString path = chosenPath(panel);
    if (path.isEmpty())
        return;
    if (documentKindOfFile(path) == DocumentKind::Secure) {
        emit secureDocumentChosen(path);
        return;
    }
    openPlainDocument(path);
}

void Engine::openRecentDocument(const QString& path)
{
    if (state->textChanged) {
        m_recentDocumentToOpen = path;
        beginAlertSheet(mainWindow, alerts::openAnother(), this, &Engine::openRecentWithoutSaving);
        return;
    }
    openPlainDocument(path);
}

void Engine::openRecentWithoutSaving(QMessageBox* alert, int returnCode, void*)
{
    removeAlertSheet(alert);
    const QString path = std::exchange(m_recentDocumentToOpen, QString());
    if (returnCode != kAlertFirstButtonReturn || path.isEmpty())
        return;
    openPlainDocument(path);
}

// --- New, Clear ----------------------------------------------------------------

void Engine::btnNewAction()
{
    if (state->textChanged) {
        beginAlertSheet(mainWindow, alerts::newDocument(), this, &Engine::NewDocumentAlert);
        return;
    }
    documentStarted();
}

void Engine::NewDocumentAlert(QMessageBox* alert, int returnCode, void*)
{
    if (returnCode == kAlertFirstButtonReturn)
        documentStarted();
    removeAlertSheet(alert);
}

void Engine::btnClearAction()
{
    documentCleared();
}

// --- Quit ----------------------------------------------------------------------

void Engine::btnQuitAction()
{
    if (!state->textChanged) {
        emit terminateRequested();
        return;
    }
    // The alert goes on the window of the control that sent Quit; a menu
    // action or a call from code has none, so the document window takes it.
    QWidget* window = mainWindow;
    if (auto* control = qobject_cast<QWidget*>(sender()))
        window = control->window();
    beginAlertSheet(window, alerts::quit(), this, &Engine::QuitAlert);
}

void Engine::QuitAlert(QMessageBox* alert, int returnCode, void*)
{
    if (returnCode == kAlertFirstButtonReturn) {
        emit terminateRequested();
        return;
    }
    removeAlertSheet(alert);
}

} // namespace velko
