#include "app/layout.h"
#include "app/layout_util.h"

#include "engine/engine.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velko {

void buildMailWindow(Layout& layout)
{
    Engine* engine = layout.engine;
    QWidget* window = createToolWindow(layout.mainWindow.get(), QStringLiteral("sendMailWindow"),
                                       QObject::tr("Send by Mail"));
    auto* column = new QVBoxLayout(window);
    auto* form = new QFormLayout;
    auto* recipient = new QLineEdit(window);
    recipient->setObjectName(QStringLiteral("mailRecipientMail"));
    recipient->setAccessibleName(QObject::tr("Recipient"));
    auto* sender = new QLineEdit(window);
    sender->setObjectName(QStringLiteral("mailSenderName"));
    sender->setAccessibleName(QObject::tr("Sender"));
    // The mail program composes and sends the message with its own account:
    // the name here is not handed to it.
    const QString senderNote =
        QObject::tr("Your mail program sends the message from its own account.");
    sender->setAccessibleDescription(senderNote);
    auto* senderNoteLabel = new QLabel(senderNote, window);
    senderNoteLabel->setObjectName(QStringLiteral("mailSenderNote"));
    senderNoteLabel->setWordWrap(true);
    auto* attachment = new QLineEdit(window);
    attachment->setObjectName(QStringLiteral("mailAttachmentFileName"));
    attachment->setAccessibleName(QObject::tr("Attached file"));
    attachment->setReadOnly(true);
    auto* message = new QPlainTextEdit(window);
    message->setObjectName(QStringLiteral("mailAdditionalTextMessageField"));
    message->setAccessibleName(QObject::tr("Message"));
    message->setTabChangesFocus(true);
    form->addRow(QObject::tr("&To:"), recipient);
    form->addRow(QObject::tr("&From:"), sender);
    form->addRow(QString(), senderNoteLabel);
    form->addRow(QObject::tr("Attachment:"), attachment);
    form->addRow(QObject::tr("&Message:"), message);
    column->addLayout(form);
    ButtonRow buttons = createButtonRow(window, QObject::tr("&Send"), QObject::tr("Cancel"));
    buttons.ok->setObjectName(QStringLiteral("btnSendByMail"));
    buttons.cancel->setObjectName(QStringLiteral("btnSendMailCancel"));
    column->addWidget(buttons.box);
    QObject::connect(buttons.ok, &QPushButton::clicked, engine, &Engine::btnSendByMail);
    QObject::connect(buttons.cancel, &QPushButton::clicked, engine, &Engine::btnSendMailCancel);
    window->resize(420, 300);

    engine->sendMailWindow = window;
    engine->mailRecipientMail = recipient;
    engine->mailSenderName = sender;
    engine->mailAttachmentFileName = attachment;
    engine->mailAdditionalTextMessageField = message;
}

} // namespace velko
