// File commands: New, Open, Save, Save As, Clear, Quit.
#include "engine/engine.h"

#include "core/documentfile.h"
#include "core/paths.h"
#include "core/recentdocuments.h"
#include "engine/alerts.h"
#include "feedback/colors.h"
#include "feedback/sheets.h"
#include "feedback/velkofield_delegate.h"
#include "feedback/velkotextview.h"

#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>

#include <utility>

namespace velko {

namespace {

const QString kPlainFileType = QStringLiteral("rtf");

PanelSpec plainSavePanel()
{
    return {PanelKind::Save, kPlainFileType, desktopFolder(), kDefaultFileName};
}

PanelSpec plainOpenPanel()
{
    return {PanelKind::Open, kPlainFileType, QString(), QString()};
}

// Takes an answered alert off the screen; it is deleted after its answer.
void removeAlertSheet(QMessageBox* alert)
{
    if (alert)
        alert->hide();
}

// The recent list is a convenience shared with the desktop: when it cannot
// be written the document itself is still saved or opened, so nothing is
// reported.
void noteRecentDocument(const QString& path)
{
    const Status noted = addRecentDocument(path);
    Q_UNUSED(noted);
}

QString saveFailedText()
{
    return QObject::tr("The document could not be saved.");
}

QString openFailedText()
{
    return QObject::tr("The document could not be opened.");
}

} // namespace

// --- Open ------------------------------------------------------------------

// Loads the plain document at `path` and makes it the clean current
// document. The file is read and parsed before anything changes, so a file
// that cannot be read or is no RTF leaves the document as it was.
void Engine::openPlainDocument(const QString& path)
{
    const Result<QByteArray> data = readDocumentFile(path);
    if (!data) {
        showFailure(openFailedText(), data.error());
        return;
    }
    if (const Status replaced = replaceTextWithRtf(data.value()); !replaced) {
        Error error = replaced.error();
        if (!error.detail.contains(path))
            error.detail =
                error.detail.isEmpty() ? path : QStringLiteral("%1: %2").arg(path, error.detail);
        showFailure(openFailedText(), error);
        return;
    }

    state->fileName = path;
    setFileNameLabel->setText(state->fileName);
    setLabelColor(setFileNameLabel, colors::blue());
    mainWindow->setWindowTitle(state->fileName);
    state->textChanged = false;
    state->textColorSetToOrangeAfterEncryption = false;
    VelkoField->setReadOnly(false);
    noteRecentDocument(state->fileName);
    state->isLastSavedASecureFile = false;
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
    state->DataToWrite = VelkoField->rtfOfWholeText();
    state->fileName = setFileNameLabel->text();
    if (const Status written = writeDocumentFile(state->fileName, state->DataToWrite); !written) {
        showFailure(saveFailedText(), written.error());
        return;
    }
    setLabelColor(setFileNameLabel, colors::blue());
    state->textChanged = false;
    state->textColorSetToOrangeAfterEncryption = false;
    VelkoField->setReadOnly(false);
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

    state->fileName = path;
    showPathInLabelAndTitle(state->fileName);
    state->DataToWrite = VelkoField->rtfOfWholeText();
    if (const Status written = writeDocumentFile(state->fileName, state->DataToWrite); !written) {
        showFailure(saveFailedText(), written.error());
        return;
    }
    setLabelColor(setFileNameLabel, colors::blue());
    state->textChanged = false;
    noteRecentDocument(state->fileName);
    state->textColorSetToOrangeAfterEncryption = false;
    VelkoField->setReadOnly(false);
}

// --- Save As -----------------------------------------------------------------

void Engine::btnSaveAsAction()
{
    QString path;
    if (runModalPanel(mainWindow, plainSavePanel(), &path) != kPanelOK)
        return;

    state->fileName = path;
    showPathInLabelAndTitle(state->fileName);
    state->DataToWrite = VelkoField->rtfOfWholeText();
    if (const Status written = writeDocumentFile(state->fileName, state->DataToWrite); !written) {
        showFailure(saveFailedText(), written.error());
        return;
    }
    VelkoField->setReadOnly(false);
    state->textChanged = false;
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
    VelkoField->clearFromCode();
    showPathInLabelAndTitle(kDefaultFileName);
    state->fileName = kDefaultFileName;
    VelkoField->setReadOnly(false);
}

void Engine::NewDocumentAlert(QMessageBox* alert, int returnCode, void*)
{
    if (returnCode == kAlertFirstButtonReturn) {
        VelkoField->clearFromCode();
        setFileNameLabel->setText(kDefaultFileName);
        setLabelColor(setFileNameLabel, colors::blue());
        mainWindow->setWindowTitle(kDefaultFileName);
        state->fileName = kDefaultFileName;
        state->textChanged = false;
        VelkoField->setReadOnly(false);
    }
    removeAlertSheet(alert);
}

void Engine::btnClearAction()
{
    VelkoField->clearFromCode();
    VelkoField->setReadOnly(false);
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
