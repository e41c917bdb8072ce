#pragma once

#include "core/cipherpipeline.h"
#include "core/documentstate.h"
#include "core/idlepolicy.h"
#include "core/result.h"
#include "core/secretbytes.h"
#include "engine/errortext.h"
#include "feedback/sheets.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QUrl>

class QAbstractAnimation;
class QAction;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMessageBox;
class QPlainTextEdit;
class QTextDocument;
class QWidget;

namespace velko {

class DocumentBuilder;
class DocumentStatus;
class HttpFetch;
class AutoLock;
struct Preferences;
class VelkoTextView;

// Controller of the document window: every document command, the about box,
// the keyword windows, the send-mail window and the shake.
class Engine : public QObject
{
    Q_OBJECT
public:
    explicit Engine(QObject* parent = nullptr);
    ~Engine() override;

    // --- Outlets, wired by the window layout ---------------------------------
    DocumentState* state = nullptr;
    QMainWindow* mainWindow = nullptr;
    VelkoTextView* VelkoField = nullptr;
    QLabel* setFileNameLabel = nullptr;
    QComboBox* cipherPopUpButton = nullptr;
    QCheckBox* chkBoxShowEncryptedOutputAfterEncryption = nullptr;
    // Secure, disabled while the view shows a secure document's own text.
    QAction* secureAction = nullptr;
    DocumentStatus* documentStatus = nullptr; // the status bar, where the window has one

    QWidget* aboutWindowOpen = nullptr;

    QWidget* windowEnterKeyWord = nullptr;
    QLineEdit* textfieldKeyword = nullptr;
    QLineEdit* textfieldKeyword2 = nullptr;

    QWidget* windowUnlockKeyword = nullptr;
    QLineEdit* textFieldKeywordUnlock = nullptr;

    QWidget* sendMailWindow = nullptr;
    QLineEdit* mailRecipientMail = nullptr;
    QLineEdit* mailSenderName = nullptr;
    QLineEdit* mailAttachmentFileName = nullptr;
    QPlainTextEdit* mailAdditionalTextMessageField = nullptr;

    // What the translation service answered, read-only.
    QWidget* translationWindow = nullptr;
    QPlainTextEdit* translationText = nullptr;

    // Shown instead of the text while an open secure document is locked.
    QWidget* lockedPanel = nullptr;
    QLabel* lockedDocumentLabel = nullptr; // the file's name and cipher
    QLineEdit* textFieldKeywordLocked = nullptr;
    // Commands that act on the text: off while it is locked.
    QList<QAction*> documentCommands;

    QWidget* windowPreferences = nullptr;
    QComboBox* popUpLockAfterIdle = nullptr;
    QComboBox* popUpClearClipboardAfter = nullptr;

    // --- Seams for tests -------------------------------------------------------
    // The pipeline every lock and unlock goes through.
    CipherPipeline pipeline;
    // Base URL of the translation service ("http://host"); empty: the default.
    QUrl translationBaseUrl;
    // How long Translate waits for the service; 0: the request's own time.
    int translationTimeoutMs = 0;
    // The xdg-email executable used to hand messages to the mail client.
    QString mailToolPath = QStringLiteral("xdg-email");
    // Documents of this many bytes of RTF or more are built off the
    // window's thread; their progress shows after this many milliseconds.
    qsizetype backgroundBuildBytes = qsizetype(1) << 20;
    int progressAfterMs = 400;

public slots:
    // File commands
    void btnNewAction();
    void btnOpenAction();
    void btnSaveAction();
    void btnSaveAsAction();
    void btnClearAction();
    void btnQuitAction();
    // Opens a file from the Open Recent menu, as the open panel's answer would.
    void openRecentDocument(const QString& path);

    // Secure
    void btnSecureText();
    void btnCancelEnterKeyword();
    void btnOKEnterKeyword();

    // Unlock
    void btnUnlockText();
    void btnUnlockTextCancel();
    void btnUnlockTextOk();

    // The document window's cipher pop-up
    void btnPopUpCipherBlowfishSelected();
    void btnPopUpCipherDES3Selected();
    void btnPopUpCipherRC5Selected();
    void btnPopUpCipherRC4Selected();
    void btnPopUpCipherAES256Selected();

    // Mail
    void btnSendMail();
    void btnSendByMail();
    void btnSendMailCancel();

    // Translation
    void btnTranslateToBulgarian();
    void btnTranslationClose();

    // About box
    void btnShowAboutBox();
    void btnAboutBoxClose();

    // Auto-lock (engine_autolock.cpp): locks the text of an open secure
    // document; a plain document and a locked one are left as they are.
    void lockDocument();
    void btnOpenLockedDocument();
    void btnShowPreferences();
    void btnPreferencesClose();
    void preferencesChanged();

public:
    // --- Answers of alerts and panels ----------------------------------------
    void saveAsPlainTextDocument(QMessageBox* alert, int returnCode, void* contextInfo);
    void saveDialog(QFileDialog* panel, int returnCode, void* contextInfo);
    void openAnotherWithouthSaving(QMessageBox* alert, int returnCode, void* contextInfo);
    void openDialog(QFileDialog* panel, int returnCode, void* contextInfo);
    void NewDocumentAlert(QMessageBox* alert, int returnCode, void* contextInfo);
    void QuitAlert(QMessageBox* alert, int returnCode, void* contextInfo);
    void saveBeforeOpen(QMessageBox* alert, int returnCode, void* contextInfo);
    void mailSendDocumentNotSavedAlert(QMessageBox* alert, int returnCode, void* contextInfo);

    // The shake of a window whose frame is `frame`; the caller owns the result
    // until it is started on a window.
    QAbstractAnimation* shakeAnimation(QWidget* window, const QRect& frame);

    // --- Shared by the commands ----------------------------------------------
    // Shows a warning alert on the document window telling what failed.
    // `focusAfter`, when given, has the focus again once the alert is answered
    // (the field to correct, in a window of its own).
    void showFailure(Operation operation, const Error& error, QWidget* focusAfter = nullptr);
    // Label text and window title both show `path`.
    void showPathInLabelAndTitle(const QString& path);
    // Points the pop-up at `option` and stores it in `cipher`.
    void selectCipher(const QString& option);
    // Makes the plain document at `path` the clean current document. A file
    // that cannot be read or is not RTF is reported and changes nothing. A
    // large one becomes the document once built (see buildDocument()).
    void openPlainDocument(const QString& path);
    // Deciphers the secure document at `path`, `preferredCipher` first and
    // then the others, and makes its rich text the clean current document,
    // with the cipher that opened it chosen. Nothing changes on failure.
    // Gives the cipher that opened it; a large document becomes the
    // document once built (see buildDocument()).
    Result<QString> unlockDocument(const QString& path, const QString& preferredCipher,
                                   QByteArrayView keyword);

    // Watches input, the clipboard and the idle time from now on.
    void startAutoLock(const Preferences& preferences);
    bool isDocumentLocked() const;
    // The clock idle time is measured with (tests turn their own).
    void setIdleClock(IdlePolicy::Clock clock);

    // --- Where the document stands after a command -----------------------------
    enum class SaveKind { InPlace, Panel, SaveAs };
    void documentStarted();
    void documentOpened(const QString& path);
    void documentSaved(const QString& path, const QByteArray& rtf, SaveKind kind);
    void documentSecured(const QString& path, const QByteArray& rtf, const QByteArray& secureText,
                         QByteArrayView keyword);
    void documentUnlocked(const QString& path, QByteArrayView keyword);
    void documentCleared();
    void documentLocked();
    // The keyword was given again: the locked edits are back.
    void documentRestored();
    // Label and title after a command, by the label's one colour rule.
    void showDocumentState();
    void showEditability();
    void focusText();

signals:
    // The application is asked to end (Quit, or its alert's OK).
    void terminateRequested();
    // Open chose a secure document: it is unlocked in a window of its own.
    void secureDocumentChosen(const QString& path);

private:
    // A document built from RTF, to be shown by `then` (a member below):
    // at once for a small one; for a large one once DocumentBuilder built it
    // off the window's thread, with its progress shown. `then` is given
    // nullptr when the build was called off, and nothing changes. RTF that
    // cannot be read is refused at once, and a build still running is
    // called off first.
    struct PendingDocument
    {
        QString path;
        QString cipher;      // for an unlock: the cipher that opened the file
        SecretBytes keyword; // for an unlock: the keyword it opened with
    };
    using BuiltDocument = void (Engine::*)(QTextDocument* document);
    Status buildDocument(const QByteArray& rtf, PendingDocument pending, BuiltDocument then);
    void documentBuilt(QTextDocument* document);
    void openedDocumentBuilt(QTextDocument* document);
    void unlockedDocumentBuilt(QTextDocument* document);
    QPointer<DocumentBuilder> m_builder;
    PendingDocument m_pending;
    BuiltDocument m_afterBuild = nullptr;

    // Recent-documents menu and other feature state may be added here by the
    // feature that owns it.
    QPointer<QAbstractAnimation> m_shake;
    QPointer<QWidget> m_focusAfterFailure;
    void restoreFocusAfterFailure();
    // The Open Recent choice waiting for the answer of the unsaved-changes alert.
    QString m_recentDocumentToOpen;
    void openRecentWithoutSaving(QMessageBox* alert, int returnCode, void* contextInfo);
    // Writes the whole text as plain RTF to `path`; the document is the
    // file's only once it is written.
    void savePlainDocument(const QString& path, SaveKind kind);
    // The plain save panel, starting at the document's own folder and name.
    PanelSpec plainSavePanel() const;

    // The fixed translation request under way, and its answer.
    QPointer<HttpFetch> m_translation;
    void translationAnswered();

    // Auto-lock: the document belongs to the secure file unlocked or secured
    // with `keyword` (whose text the view shows when `shown`), or to none.
    AutoLock* m_autoLock = nullptr;
    void noteSecureDocument(QByteArrayView keyword, bool shown);
    void forgetSecureDocument();
    void showLocked(bool locked);
};

// A keyword field's text as UTF-8 in a wiped buffer.
SecretBytes keywordOf(const QLineEdit* field);

} // namespace velko
