// Secure and Unlock: the keyword windows, the cipher pipeline and the shake.
#include "engine/engine.h"

#include "core/cipheroption.h"
#include "core/paths.h"
#include "engine/alerts.h"
#include "feedback/childwindow.h"
#include "feedback/shake.h"
#include "feedback/sheets.h"
#include "feedback/velkotextview.h"

#include <QAbstractAnimation>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPropertyAnimation>

namespace velko {

namespace {

const QString kSecureDocumentType = QStringLiteral("srtf");

// Tells, without blocking, that the document opened with another cipher
// than the one chosen, and that this cipher is now the chosen one.
void showOpenedWithOtherCipher(QWidget* window, const QString& chosen, const QString& opened)
{
    const QString title =
        QObject::tr("The document was unlocked with %1.").arg(cipherDisplayName(opened));
    QMessageBox* notice = createNotice(window, QMessageBox::Information, title);
    notice->setObjectName(QStringLiteral("openedWithOtherCipherNotice"));
    notice->setInformativeText(QObject::tr("It was not locked with %1, so %2 is now the selected "
                                           "cipher, and Secure will use it.")
                                   .arg(cipherDisplayName(chosen), cipherDisplayName(opened)));
    notice->open();
}

} // namespace

SecretBytes keywordOf(const QLineEdit* field)
{
    const QString text = field->text(); // shares the field's buffer, copies nothing
    return SecretBytes::fromUtf16(reinterpret_cast<const char16_t*>(text.utf16()),
                                  std::size_t(text.size()));
}

// --- Secure ------------------------------------------------------------------

void Engine::btnSecureText()
{
    if (VelkoField->isReadOnly())
        return; // the view shows a secure document's own text
    // A new Secure starts with empty fields: the last document's keyword is
    // never offered again. While the window is open (after a mismatch, or a
    // cancelled panel) the fields keep their text for the retry.
    if (!windowEnterKeyWord->isVisible()) {
        textfieldKeyword->clear();
        textfieldKeyword2->clear();
    }
    // Attaching makes the window key and brings it to the front.
    attachChildWindow(mainWindow, windowEnterKeyWord);
}

void Engine::btnCancelEnterKeyword()
{
    if (m_shake)
        m_shake->stop(); // the window is put back before it goes
    // A closed window holds no keyword.
    textfieldKeyword->clear();
    textfieldKeyword2->clear();
    detachChildWindow(mainWindow, windowEnterKeyWord);
}

void Engine::btnOKEnterKeyword()
{
    // 1.-2. The keyword and its repetition. A mismatch shakes the keyword
    //    window and changes nothing else. A shake still running is stopped
    //    first, which puts the window back, so the new one is built from the
    //    window's resting frame.
    if (textfieldKeyword->text() != textfieldKeyword2->text()) {
        if (m_shake)
            m_shake->stop();
        const QRect frame = windowEnterKeyWord->frameGeometry();
        m_shake = shakeAnimation(windowEnterKeyWord, frame);
        m_shake->start(QAbstractAnimation::DeleteWhenStopped);
        return;
    }

    // 3. Where the secure document goes: the document's own folder and name
    //    to start with.
    const PanelStart start = savePanelStart(state->fileName, kSecureDocumentType);
    QString path;
    const int answer = runModalPanel(
        windowEnterKeyWord,
        PanelSpec{PanelKind::Save, kSecureDocumentType, start.folder, start.fileName}, &path);
    // 4. Cancel leaves the keyword window open with its fields, and the
    //    keyboard in it.
    if (answer != kPanelOK) {
        returnFocusTo(textfieldKeyword);
        return;
    }

    // 5.-7. Encipher the RTF of the whole text into the chosen file. The path
    //    and the data become the document's only once the file is written: a
    //    failure is told and leaves the text, the state and the keyword
    //    window as they were.
    const QByteArray rtf = VelkoField->rtfOfWholeText();
    const SecretBytes keyword = keywordOf(textfieldKeyword);
    const Result<QByteArray> written = pipeline.encipher(rtf, state->cipher, keyword.view(), path);
    if (!written) {
        showFailure(Operation::Secure, written.error(), textfieldKeyword);
        return;
    }

    // 8. The keyword window goes, and the keyword with it.
    if (m_shake)
        m_shake->stop();
    textfieldKeyword->clear();
    textfieldKeyword2->clear();
    detachChildWindow(mainWindow, windowEnterKeyWord);

    // 9.-12. The text belongs to the secure document, with no unsaved edits;
    //    optionally the view shows the secure document's text.
    documentSecured(path, rtf, written.value(), keyword.view());
}

QAbstractAnimation* Engine::shakeAnimation(QWidget* window, const QRect& frame)
{
    return createShakeAnimation(window, frame);
}

// --- Unlock ------------------------------------------------------------------

void Engine::btnUnlockText()
{
    // 1. Unsaved edits: ask first.
    if (state->textChanged) {
        beginAlertSheet(mainWindow, alerts::openAnother(), this, &Engine::saveBeforeOpen);
        return;
    }
    // 2. The unlock keyword window, above the document window and key.
    attachChildWindow(mainWindow, windowUnlockKeyword);
}

void Engine::saveBeforeOpen(QMessageBox* alert, int returnCode, void* contextInfo)
{
    Q_UNUSED(contextInfo);
    // 1. The alert goes before anything else is shown.
    alert->hide();
    // 2. "Open anyway" shows the unlock keyword window; 3. anything else ends
    //    the command.
    if (returnCode == kAlertFirstButtonReturn)
        attachChildWindow(mainWindow, windowUnlockKeyword);
}

void Engine::btnUnlockTextCancel()
{
    textFieldKeywordUnlock->clear();
    detachChildWindow(mainWindow, windowUnlockKeyword);
}

void Engine::btnUnlockTextOk()
{
    // 1. The secure document to unlock.
    QString path;
    const int answer = runModalPanel(
        windowUnlockKeyword, PanelSpec{PanelKind::Open, kSecureDocumentType, {}, {}}, &path);
    // 2. Cancel leaves the window open with its keyword, and the keyboard in it.
    if (answer != kPanelOK) {
        returnFocusTo(textFieldKeywordUnlock);
        return;
    }

    // 3.-4. The keyword; the field is emptied once the panel was confirmed,
    //    whatever comes of it.
    const SecretBytes keyword = keywordOf(textFieldKeywordUnlock);
    textFieldKeywordUnlock->clear();

    // 5.-13. Decipher, with the chosen cipher first and then the others, and
    //    make the rich text the clean current document. Only a complete RTF
    //    document counts as unlocked; a failure leaves the view and the
    //    window as they were.
    const QString chosen = state->cipher;
    const Result<QString> opened = unlockDocument(path, chosen, keyword.view());
    if (!opened) {
        showFailure(Operation::Unlock, opened.error(), textFieldKeywordUnlock);
        return;
    }
    detachChildWindow(mainWindow, windowUnlockKeyword);
    // Another cipher opened it: that one is chosen from now on.
    if (opened.value() != chosen)
        showOpenedWithOtherCipher(mainWindow, chosen, opened.value());
}

Result<QString> Engine::unlockDocument(const QString& path, const QString& preferredCipher,
                                       QByteArrayView keyword)
{
    const Result<CipherPipeline::Unlocked> unlocked =
        pipeline.decipherAnyCipher(path, preferredCipher, keyword);
    if (!unlocked)
        return unlocked.error();
    // Data that cannot be read leaves the view as it was, like a wrong
    // keyword. The document is built off the window's thread when it is
    // large; unlockedDocumentBuilt() goes on.
    const QString cipher = unlocked.value().cipherOption;
    if (const Status started =
            buildDocument(unlocked.value().rtf, {path, cipher, SecretBytes(keyword)},
                          &Engine::unlockedDocumentBuilt);
        !started)
        return started.error();
    return cipher;
}

// The document built is the secure file's, with the cipher that opened it
// chosen; called off, nothing changes.
void Engine::unlockedDocumentBuilt(QTextDocument* document)
{
    const PendingDocument pending = std::exchange(m_pending, {});
    if (!document)
        return;
    VelkoField->setReadOnly(false); // as for Open: before it shows
    VelkoField->showDocumentFromCode(document);
    selectCipher(pending.cipher);
    documentUnlocked(pending.path, pending.keyword.view());
}

} // namespace velko
