// Where the document stands after each command. Every command that makes
// the document new, opened, saved, secured, unlocked or cleared ends in one
// of these members; the label, the title, the view and the flags follow
// from them, so the window shows the same state by the same rule whichever
// way a command went.
#include "engine/engine.h"

#include "core/desktop/recentdocuments.h"
#include "feedback/colors.h"
#include "feedback/documentstatus.h"
#include "feedback/velkofield_delegate.h"
#include "feedback/velkotextview.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>

namespace velko {

namespace {

// The recent list is a convenience shared with the desktop: when it cannot
// be written the document itself is still saved or opened, so nothing is
// reported.
void noteRecentDocument(const QString& path)
{
    const Status noted = addRecentDocument(path);
    Q_UNUSED(noted);
}

} // namespace

// The label and the title show the document's path; the label's colour
// follows `textChanged` (colors::fileNameLabel).
void Engine::showDocumentState()
{
    showPathInLabelAndTitle(state->fileName);
    setLabelColor(setFileNameLabel, colors::fileNameLabel(state->textChanged));
    showEditability();
    if (documentStatus)
        documentStatus->refresh();
}

// A command that puts a document into the view hands it the keyboard:
// typing goes into the text, not to whatever had the focus before.
void Engine::focusText()
{
    VelkoField->setFocus(Qt::OtherFocusReason);
}

// Securing the Base64 text of a secure document would lock it twice over:
// Secure waits until a command makes the view editable again.
void Engine::showEditability()
{
    if (secureAction)
        secureAction->setEnabled(!VelkoField->isReadOnly());
}

void Engine::documentStarted()
{
    forgetSecureDocument();
    VelkoField->clearFromCode();
    VelkoField->setReadOnly(false);
    state->fileName = kDefaultFileName;
    state->textChanged = false;
    showDocumentState();
    focusText();
}

void Engine::documentOpened(const QString& path)
{
    forgetSecureDocument();
    VelkoField->setReadOnly(false);
    state->fileName = path;
    state->textChanged = false;
    state->textColorSetToOrangeAfterEncryption = false;
    state->isLastSavedASecureFile = false;
    showDocumentState();
    focusText();
    noteRecentDocument(path);
}

void Engine::documentSaved(const QString& path, const QByteArray& rtf, SaveKind kind)
{
    forgetSecureDocument();
    VelkoField->setReadOnly(false);
    state->fileName = path;
    state->DataToWrite = rtf;
    state->textChanged = false;
    // The document now belongs to the plain file just written.
    state->isLastSavedASecureFile = false;
    // Save As keeps the orange flag, so the first edit still turns the text
    // black when the view showed a secure document's text.
    if (kind != SaveKind::SaveAs)
        state->textColorSetToOrangeAfterEncryption = false;
    showDocumentState();
    noteRecentDocument(path);
}

void Engine::documentSecured(const QString& path, const QByteArray& rtf,
                             const QByteArray& secureText, QByteArrayView keyword)
{
    noteSecureDocument(keyword, !chkBoxShowEncryptedOutputAfterEncryption->isChecked());
    state->fileName = path;
    state->DataToWrite = rtf;
    // Optionally the view shows the secure document's text, orange and
    // read-only.
    if (chkBoxShowEncryptedOutputAfterEncryption->isChecked()) {
        VelkoField->setPlainTextFromCode(QString::fromLatin1(secureText));
        VelkoField->setWholeTextColorFromCode(colors::orange());
        state->textColorSetToOrangeAfterEncryption = true;
        VelkoField->setReadOnly(true);
    }
    state->isLastSavedASecureFile = true;
    state->textChanged = false;
    showDocumentState();
    focusText();
}

void Engine::documentUnlocked(const QString& path, QByteArrayView keyword)
{
    noteSecureDocument(keyword, true);
    VelkoField->setReadOnly(false);
    state->fileName = path;
    state->textChanged = false;
    state->textColorSetToOrangeAfterEncryption = false;
    state->isLastSavedASecureFile = true;
    showDocumentState();
    focusText();
}

void Engine::documentCleared()
{
    // The text goes in one step that Undo brings back; the document keeps
    // its path, its flags and its state of edits.
    VelkoField->clearUndoably();
    VelkoField->setReadOnly(false);
    showEditability();
}

// The text is out of the view; the window shows the file, its cipher and
// the keyword field that opens it again. Unsaved edits stay unsaved.
void Engine::documentLocked()
{
    VelkoField->setReadOnly(true);
    showLocked(true);
    showDocumentState();
}

void Engine::documentRestored()
{
    showLocked(false);
    VelkoField->setReadOnly(false);
    showDocumentState();
    focusText();
}

} // namespace velko
