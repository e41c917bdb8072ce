// Auto-lock: an open secure document locks when the user is away (idle
// time, screen lock, sleep); its text leaves the view and the clipboard, and
// the keyword opens it again. Also the Preferences window for it.
#include "engine/engine.h"

#include "core/cipheroption.h"
#include "core/keywordverifier.h"
#include "core/preferences.h"
#include "feedback/childwindow.h"
#include "feedback/clipboardguard.h"
#include "feedback/documentstatus.h"
#include "feedback/velkotextview.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QTextDocument>
#include <QTimer>

#include <utility>

namespace velko {

namespace {

// How often the idle time is looked at while a secure document is open.
constexpr int kIdleCheckMs = 1000;

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

} // namespace

// What auto-lock knows of the document: whether it may lock, the keyword
// check, and while locked the edits kept out of sight.
class AutoLock : public QObject
{
public:
    AutoLock(Engine* engine, const Preferences& preferences)
        : QObject(engine), guard(new ClipboardGuard(this))
    {
        idle.setTimeoutMinutes(preferences.lockAfterIdleMinutes);
        guard->setClearAfterMs(preferences.clearClipboardAfterSeconds * 1000);
        idleCheck.setInterval(kIdleCheckMs);
        connect(&idleCheck, &QTimer::timeout, engine, [this, engine] {
            if (idle.isIdle())
                engine->lockDocument();
        });
        qApp->installEventFilter(this);
    }

    // Checks the idle time only while there is something to lock.
    void updateIdleCheck()
    {
        if (lockable && !locked && idle.timeoutMinutes() > 0)
            idleCheck.start();
        else
            idleCheck.stop();
    }

    // Any key or mouse input in the editor's windows.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (isUserInput(event->type()) && watched->isWidgetType())
            idle.noteInput();
        return QObject::eventFilter(watched, event);
    }

    IdlePolicy idle;
    QTimer idleCheck;
    ClipboardGuard* guard;
    KeywordVerifier verifier;
    bool lockable = false; // the view shows the text of a secure file
    bool locked = false;
    QString lockedPath;                  // the secure file, while locked
    QPointer<QTextDocument> hiddenEdits; // unsaved edits, while locked
    QHash<QAction*, bool> enabledBefore;
};

void Engine::startAutoLock(const Preferences& preferences)
{
    if (!m_autoLock)
        m_autoLock = new AutoLock(this, preferences);
}

bool Engine::isDocumentLocked() const
{
    return m_autoLock && m_autoLock->locked;
}

void Engine::setIdleClock(IdlePolicy::Clock clock)
{
    if (m_autoLock)
        m_autoLock->idle.setClock(std::move(clock));
}

// --- The document's secure file ------------------------------------------------

void Engine::noteSecureDocument(QByteArrayView keyword, bool shown)
{
    if (!m_autoLock)
        return;
    forgetSecureDocument();
    // The view shows the secure document's own Base64 text: nothing to hide.
    if (!shown)
        return;
    // Without a keyword check the edits could not come back: such a
    // document is not locked.
    Result<KeywordVerifier> verifier = KeywordVerifier::take(keyword);
    if (!verifier)
        return;
    m_autoLock->verifier = std::move(verifier.value());
    m_autoLock->lockable = true;
    VelkoField->setSecretClipboard(true);
    m_autoLock->idle.noteInput();
    m_autoLock->updateIdleCheck();
}

void Engine::forgetSecureDocument()
{
    if (!m_autoLock)
        return;
    AutoLock& lock = *m_autoLock;
    if (lock.locked)
        showLocked(false);
    delete lock.hiddenEdits;
    lock.verifier.clear();
    lock.lockable = false;
    VelkoField->setSecretClipboard(false);
    lock.updateIdleCheck();
}

// --- Locking -------------------------------------------------------------------

void Engine::lockDocument()
{
    if (!m_autoLock || !m_autoLock->lockable || m_autoLock->locked)
        return;
    AutoLock& lock = *m_autoLock;
    // 1. Nothing of the text stays on the clipboard, and a Secure under way
    //    cannot go on with a text that is gone.
    lock.guard->clearNow();
    if (windowEnterKeyWord && windowEnterKeyWord->isVisible())
        btnCancelEnterKeyword();
    // 2. The text leaves the view with its undo history. Unsaved edits are
    //    kept out of sight until the keyword is given again; a saved text is
    //    dropped, the file has it.
    QTextDocument* taken = VelkoField->takeDocument(&lock);
    if (state->textChanged)
        lock.hiddenEdits = taken;
    else
        delete taken;
    wipeBytes(state->DataToWrite.data(), std::size_t(state->DataToWrite.size()));
    state->DataToWrite.clear();
    lock.lockedPath = state->fileName;
    documentLocked();
}

void Engine::btnOpenLockedDocument()
{
    if (!isDocumentLocked())
        return;
    AutoLock& lock = *m_autoLock;
    const SecretBytes keyword = keywordOf(textFieldKeywordLocked);
    textFieldKeywordLocked->clear();
    // Unsaved edits come back only for the keyword they were locked with.
    if (lock.hiddenEdits) {
        if (!lock.verifier.matches(keyword.view())) {
            showFailure(Operation::Unlock, makeError(ErrorCode::WrongKeyword),
                        textFieldKeywordLocked);
            return;
        }
        QTextDocument* edits = lock.hiddenEdits;
        lock.hiddenEdits = nullptr;
        VelkoField->restoreDocument(edits);
        documentRestored();
        return;
    }
    // A saved text is read from its file again, as Unlock does.
    const QString path = lock.lockedPath; // the lock ends as the document opens
    const Result<QString> opened = unlockDocument(path, state->cipher, keyword.view());
    if (!opened)
        showFailure(Operation::Unlock, opened.error(), textFieldKeywordLocked);
}

void Engine::showLocked(bool locked)
{
    AutoLock& lock = *m_autoLock;
    lock.locked = locked;
    if (locked) {
        for (QAction* action : std::as_const(documentCommands)) {
            lock.enabledBefore.insert(action, action->isEnabled());
            action->setEnabled(false);
        }
        lockedDocumentLabel->setText(tr("<b>%1</b> is locked (%2): type its keyword to open it.")
                                         .arg(QFileInfo(state->fileName).fileName().toHtmlEscaped(),
                                              cipherDisplayName(state->cipher)));
    } else {
        for (auto it = lock.enabledBefore.cbegin(); it != lock.enabledBefore.cend(); ++it)
            it.key()->setEnabled(it.value());
        lock.enabledBefore.clear();
        lock.lockedPath.clear();
        textFieldKeywordLocked->clear();
    }
    VelkoField->setVisible(!locked);
    lockedPanel->setVisible(locked);
    if (documentStatus)
        documentStatus->setLocked(locked);
    if (locked)
        textFieldKeywordLocked->setFocus(Qt::OtherFocusReason);
    lock.updateIdleCheck();
}

// --- Preferences -----------------------------------------------------------------

void Engine::btnShowPreferences()
{
    attachChildWindow(mainWindow, windowPreferences);
}

void Engine::btnPreferencesClose()
{
    detachChildWindow(mainWindow, windowPreferences);
}

void Engine::preferencesChanged()
{
    Preferences preferences;
    preferences.lockAfterIdleMinutes = popUpLockAfterIdle->currentData().toInt();
    preferences.clearClipboardAfterSeconds = popUpClearClipboardAfter->currentData().toInt();
    savePreferences(preferences);
    if (!m_autoLock)
        return;
    m_autoLock->idle.setTimeoutMinutes(preferences.lockAfterIdleMinutes);
    m_autoLock->guard->setClearAfterMs(preferences.clearClipboardAfterSeconds * 1000);
    m_autoLock->updateIdleCheck();
}

} // namespace velko
