// Send by Mail through the real window and the real xdg-email, to a stand-in
// mail client.
#include "fakemailclient.h"
#include "testsupport.h"

#include "engine/errortext.h"

#include <QPlainTextEdit>

using namespace velko;
using namespace testsupport;

class SendByMailTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        const QString xdgEmail = genericXdgEmail(m_home.path());
        m_layout = makeDocumentWindow();
        m_layout->engine->mailToolPath = xdgEmail;
    }

    // Unsaved edits or an empty document: told so, in these words, and no window.
    void refusesUnsavedOrEmptyDocument()
    {
        for (const bool edited : {true, false}) {
            saveDocument("refused.rtf");
            if (!edited)
                m_layout->engine->VelkoField->clearFromCode();
            m_layout->state->textChanged = edited;
            m_layout->action("btnSendMail")->trigger();
            QMessageBox* alert = waitForAlert();
            QVERIFY(alert);
            QCOMPARE(alert->text(), "Document not saved.");
            QCOMPARE(alert->informativeText(), "Please save the document before send it.");
            QVERIFY(clickAlertButton(alert, "OK"));
            QVERIFY(!sendWindowOpen());
        }
    }

    // Recipient, subject, message and attachment reach the client intact:
    // spaces, commas, non-ASCII and shell specials on their way through xdg-email.
    void handsSavedDocumentToClient()
    {
        const QString message = QStringLiteral("Здравей,\nsee C:\\new & 100% \"this\"");
        FakeMailClient client(m_home.path(), "fakemail", "fakemail.desktop");
        const QString path = saveDocument("a dir, with comma/Бележка, 1 ü.rtf");
        openSendWindow();
        m_layout->engine->mailRecipientMail->setText("Ivan <ivan@example.bg>");
        m_layout->engine->mailAdditionalTextMessageField->setPlainText(message);
        button("btnSendByMail")->click();

        QTRY_VERIFY_WITH_TIMEOUT(!sendWindowOpen(), 10000);
        QCOMPARE(client.arguments().size(), 1);
        const QMap<QString, QString> fields = mailtoFields(client.arguments().first());
        QCOMPARE(fields.value("to"), "Ivan <ivan@example.bg>");
        QCOMPARE(fields.value("subject"), "Velko document: " + QFileInfo(path).fileName());
        QCOMPARE(fields.value("body"), message + "\n\nSend by Velko\n");
        QCOMPARE(fields.value("attach"), path);
    }

    void failureOrCancelKeepsTheFields_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<int>("code");
        QTest::newRow("no mail client") << "no client" << int(ErrorCode::MailNoClient);
        QTest::newRow("file removed") << "removed" << int(ErrorCode::FileRead);
        QTest::newRow("client fails") << "client fails" << int(ErrorCode::MailFailed);
    }

    // A failure is told and keeps the window and what the user wrote; so does
    // Cancel, while the attachment follows the document.
    void failureOrCancelKeepsTheFields()
    {
        QFETCH(QString, situation);
        QFETCH(int, code);
        FakeMailClient client(m_home.path(), "fakemail", "fakemail.desktop",
                              situation == "client fails" ? 1 : 0);
        const QString path = saveDocument("kept.rtf");
        if (situation == "no client")
            client.unregister();
        openSendWindow();
        Engine* engine = m_layout->engine;
        engine->mailAdditionalTextMessageField->setPlainText("Keep me");
        if (situation == "removed")
            QFile::remove(path);
        button("btnSendByMail")->click();

        QMessageBox* alert = waitForAlert(10000);
        QVERIFY(alert);
        QVERIFY2(alert->informativeText().startsWith(userMessage(makeError(ErrorCode(code)))),
                 qPrintable(alert->informativeText()));
        QVERIFY(clickAlertButton(alert, "OK"));
        QVERIFY(sendWindowOpen());
        // The keyboard is back in the window, for the address to mend.
        QTRY_COMPARE(QApplication::focusWidget(), engine->mailRecipientMail);
        QCOMPARE(engine->mailAdditionalTextMessageField->toPlainText(), QStringLiteral("Keep me"));
        QVERIFY(button("btnSendByMail")->isEnabled());
        QCOMPARE(client.wasStarted(), code == int(ErrorCode::MailFailed));

        button("btnSendMailCancel")->click();
        saveDocument("second.srtf");
        openSendWindow();
        QCOMPARE(engine->mailAdditionalTextMessageField->toPlainText(), "Keep me");
        QCOMPARE(engine->mailAttachmentFileName->text(), "second.srtf");
    }

private:
    // As after saving "Hello" at `relativePath`.
    QString saveDocument(const QString& relativePath)
    {
        const QString path = m_home.filePath(relativePath);
        QDir().mkpath(QFileInfo(path).path());
        writeFile(path, "{\\rtf1\\ansi Hello}");
        m_layout->engine->VelkoField->setPlainTextFromCode("Hello");
        m_layout->state->fileName = path;
        m_layout->state->textChanged = false;
        return path;
    }
    void openSendWindow()
    {
        m_layout->action("btnSendMail")->trigger();
        QVERIFY(sendWindowOpen());
    }
    bool sendWindowOpen() const
    {
        return isChildWindowAttached(m_layout->mainWindow.get(), m_layout->engine->sendMailWindow);
    }
    QPushButton* button(const char* name) const
    {
        return testsupport::button(m_layout->engine->sendMailWindow, name);
    }

    TempHome m_home;
    std::unique_ptr<Layout> m_layout;
};

QTEST_MAIN(SendByMailTest)
#include "tst_mail.moc"
