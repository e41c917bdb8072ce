// Send by mail: the document at fileName goes to the user's own mail client,
// which opens its compose window filled in; the person sends it from there.
#include "engine/engine.h"

#include "core/desktop/mailhandoff.h"
#include "core/desktop/useraccount.h"
#include "engine/alerts.h"
#include "feedback/childwindow.h"
#include "feedback/sheets.h"
#include "feedback/velkotextview.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

namespace velko {

namespace {

const QString kSubjectPrefix = QStringLiteral("Velko document: ");
const QString kSignature = QStringLiteral("\n\nSend by Velko\n");

QPushButton* sendButton(const Engine& engine)
{
    return engine.sendMailWindow->findChild<QPushButton*>(QStringLiteral("btnSendByMail"));
}

// The attachment must be a saved file: the default name names none, and a
// file removed since it was saved cannot be attached either.
Status checkAttachment(const QString& path)
{
    if (!QFileInfo(path).isAbsolute())
        return makeError(ErrorCode::NeverSaved, path);
    if (!QFileInfo(path).isFile())
        return makeError(ErrorCode::FileRead,
                         QObject::tr("There is no file at %1 any more.").arg(path));
    return {};
}

// The answer of the mail client's hand-over: only a successful one closes
// the send-mail window; otherwise it stays open with its fields.
void mailHandedOver(Engine& engine, const Status& status)
{
    if (QPushButton* button = sendButton(engine))
        button->setEnabled(true);
    if (!status) {
        engine.showFailure(Operation::Mail, status.error(), engine.mailRecipientMail);
        return;
    }
    detachChildWindow(engine.mainWindow, engine.sendMailWindow);
}

} // namespace

void Engine::btnSendMail()
{
    // 1-2. Only a saved, non-empty document is sent.
    if (state->textChanged || VelkoField->isEmpty()) {
        beginAlertSheet(mainWindow, alerts::mailDocumentNotSaved(), this,
                        &Engine::mailSendDocumentNotSavedAlert);
        return;
    }
    // 3-4. The send-mail window above the document window, key.
    attachChildWindow(mainWindow, sendMailWindow);
    // 5-6. File name and sender afresh; recipient and message are kept.
    mailAttachmentFileName->setText(QFileInfo(state->fileName).fileName());
    mailSenderName->setText(fullUserName());
}

void Engine::mailSendDocumentNotSavedAlert(QMessageBox*, int, void*)
{
    // The alert closes itself; nothing else to do.
}

void Engine::btnSendByMail()
{
    // 1. The message, from fileName as it is now.
    MailMessage message;
    message.recipient = mailRecipientMail->text().trimmed();
    message.subject = kSubjectPrefix + QFileInfo(state->fileName).fileName();
    message.body = mailAdditionalTextMessageField->toPlainText() + kSignature;
    message.attachmentPath = state->fileName;

    // 2. The file to attach must exist.
    if (const Status attachable = checkAttachment(message.attachmentPath); !attachable) {
        showFailure(Operation::Mail, attachable.error(), mailRecipientMail);
        return;
    }

    // 3. A mail client must be set up, unless $MAILER names one for xdg-email.
    AttachmentForm form = AttachmentForm::Path;
    if (qEnvironmentVariableIsEmpty("MAILER")) {
        const Result<QString> handler = mailtoHandler();
        if (!handler) {
            showFailure(Operation::Mail, handler.error(), mailRecipientMail);
            return;
        }
        form = attachmentFormFor(handler.value(), message.attachmentPath);
    }

    // 4. Hand the message over without blocking the window; a second press
    // waits for the answer of the first.
    if (QPushButton* button = sendButton(*this))
        button->setEnabled(false);
    auto* handOff = new MailHandOff;
    connect(handOff, &MailHandOff::handedOver, this,
            [this](const Status& status) { mailHandedOver(*this, status); });
    handOff->start(mailToolPath, xdgEmailArguments(message, form));
}

void Engine::btnSendMailCancel()
{
    detachChildWindow(mainWindow, sendMailWindow);
}

} // namespace velko
