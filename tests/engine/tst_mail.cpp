#include "fakemailclient.h"
#include "testsupport.h"

#include "engine/errortext.h"

#include <QPlainTextEdit>

using namespace velko;

class SendByMailTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        testsupport::useGenericDesktop(m_home.path());
        m_layout = testsupport::makeDocumentWindow();
        m_layout->engine->mailToolPath = testsupport::xdgEmailWithDisplay(m_home.path());
    }

    void refusesUnsavedOrEmptyDocument()
    {
        for (const bool edited : {true, false}) {
            saveDocument(QStringLiteral("refused.rtf"));
            if (!edited)
                m_layout->engine->VelkoField->clearFromCode();
            m_layout->state->textChanged = edited;
            m_layout->action(QStringLiteral("btnSendMail"))->trigger();
            QMessageBox* alert = testsupport::waitForAlert();
            QVERIFY(alert);
            QCOMPARE(alert->text(), QStringLiteral("Document not saved."));
            QCOMPARE(alert->informativeText(),
                     QStringLiteral("Please save the document before send it."));
            QVERIFY(testsupport::clickAlertButton(alert, QStringLiteral("OK")));
            QVERIFY(!sendWindowOpen());
        }
    }

    void handsSavedDocumentToClient()
    {
        // Spaces, commas, non-ASCII and shell specials on their way through xdg-email.
        const QString message = QStringLiteral("Здравей,\nsee C:\\new & 100% \"this\"");
        testsupport::FakeMailClient client(m_home.path(), QStringLiteral("fakemail"),
                                           QStringLiteral("fakemail.desktop"));
        const QString path = saveDocument(QStringLiteral("a dir, with comma/Бележка, 1 ü.rtf"));

        openSendWindow();
        m_layout->engine->mailRecipientMail->setText(QStringLiteral("Ivan <ivan@example.bg>"));
        m_layout->engine->mailAdditionalTextMessageField->setPlainText(message);
        button("btnSendByMail")->click();

        QTRY_VERIFY_WITH_TIMEOUT(!sendWindowOpen(), 10000);
        QCOMPARE(client.arguments().size(), 1);
        const QMap<QString, QString> fields = testsupport::mailtoFields(client.arguments().first());
        QCOMPARE(fields.value(QStringLiteral("to")), QStringLiteral("Ivan <ivan@example.bg>"));
        QCOMPARE(fields.value(QStringLiteral("subject")),
                 QStringLiteral("Velko document: ") + QFileInfo(path).fileName());
        QCOMPARE(fields.value(QStringLiteral("body")),
                 message + QStringLiteral("\n\nSend by Velko\n"));
        QCOMPARE(fields.value(QStringLiteral("attach")), path);
    }

    void failureOrCancelKeepsTheFields_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<int>("code");
        QTest::newRow("no mail client") << "no client" << int(ErrorCode::MailNoClient);
        QTest::newRow("file removed") << "removed" << int(ErrorCode::FileRead);
        QTest::newRow("client fails") << "client fails" << int(ErrorCode::MailFailed);
    }

    void failureOrCancelKeepsTheFields()
    {
        QFETCH(QString, situation);
        QFETCH(int, code);
        testsupport::FakeMailClient client(m_home.path(), QStringLiteral("fakemail"),
                                           QStringLiteral("fakemail.desktop"),
                                           situation == QLatin1String("client fails") ? 1 : 0);
        const QString path = saveDocument(QStringLiteral("kept.rtf"));
        if (situation == QLatin1String("no client"))
            client.unregister();

        openSendWindow();
        Engine* engine = m_layout->engine;
        engine->mailAdditionalTextMessageField->setPlainText(QStringLiteral("Keep me"));
        if (situation == QLatin1String("removed"))
            QFile::remove(path);
        button("btnSendByMail")->click();

        QMessageBox* alert = testsupport::waitForAlert(10000);
        QVERIFY(alert);
        QVERIFY2(alert->informativeText().startsWith(userMessage(makeError(ErrorCode(code)))),
                 qPrintable(alert->informativeText()));
        QVERIFY(testsupport::clickAlertButton(alert, QStringLiteral("OK")));

        QVERIFY(sendWindowOpen());
        // The keyboard is back in the window, for the address to mend.
        QTRY_COMPARE(QApplication::focusWidget(), engine->mailRecipientMail);
        QCOMPARE(engine->mailAdditionalTextMessageField->toPlainText(), QStringLiteral("Keep me"));
        QVERIFY(button("btnSendByMail")->isEnabled());
        QCOMPARE(client.wasStarted(), code == int(ErrorCode::MailFailed));

        // Cancel keeps what the user wrote; the attachment follows the document.
        button("btnSendMailCancel")->click();
        saveDocument(QStringLiteral("second.srtf"));
        openSendWindow();
        QCOMPARE(engine->mailAdditionalTextMessageField->toPlainText(), QStringLiteral("Keep me"));
        QCOMPARE(engine->mailAttachmentFileName->text(), QStringLiteral("second.srtf"));
    }

private:
    QString saveDocument(const QString& relativePath);
    void openSendWindow()
    {
        m_layout->action(QStringLiteral("btnSendMail"))->trigger();
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

    testsupport::TempHome m_home;
    std::unique_ptr<Layout> m_layout;
};

QString SendByMailTest::saveDocument(const QString& relativePath) // with some text
{
    const QString path = m_home.filePath(relativePath);
    QDir().mkpath(QFileInfo(path).path());
    testsupport::writeFile(path, "{\\rtf1\\ansi Hello}");
    m_layout->engine->VelkoField->setPlainTextFromCode(QStringLiteral("Hello"));
    m_layout->state->fileName = path;
    m_layout->state->textChanged = false;
    return path;
}

QTEST_MAIN(SendByMailTest)
#include "tst_mail.moc"
