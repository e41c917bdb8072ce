#include "fakemailclient.h"
#include "testsupport.h"

#include "app/layout.h"
#include "core/useraccount.h"
#include "engine/engine.h"
#include "engine/errortext.h"
#include "feedback/childwindow.h"
#include "feedback/velkotextview.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace velko;

class SendByMailTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void refusesUnsavedOrEmptyDocument_data();
    void refusesUnsavedOrEmptyDocument();
    void handsSavedDocumentToClient_data();
    void handsSavedDocumentToClient();
    void failureKeepsWindowAndFields_data();
    void failureKeepsWindowAndFields();
    void cancelKeepsFieldsAndRefillsTheRest();

private:
    // A saved document at $HOME/`relativePath` with some text.
    QString saveDocument(const QString& relativePath);
    void openSendWindow();
    bool sendWindowOpen() const
    {
        return isChildWindowAttached(m_layout->mainWindow.get(), m_layout->engine->sendMailWindow);
    }
    QPushButton* button(const char* name) const
    {
        return m_layout->engine->sendMailWindow->findChild<QPushButton*>(QLatin1String(name));
    }

    testsupport::TempHome m_home;
    std::unique_ptr<Layout> m_layout;
};

void SendByMailTest::initTestCase()
{
    testsupport::useGenericDesktop(m_home.path());
}

void SendByMailTest::init()
{
    m_layout = testsupport::makeDocumentWindow();
    m_layout->engine->mailToolPath = testsupport::xdgEmailWithDisplay(m_home.path());
}

void SendByMailTest::cleanup()
{
    m_layout.reset();
}

QString SendByMailTest::saveDocument(const QString& relativePath)
{
    const QString path = m_home.filePath(relativePath);
    QDir().mkpath(QFileInfo(path).path());
    testsupport::writeFile(path, "{\\rtf1\\ansi Hello}");
    m_layout->engine->VelkoField->setPlainTextFromCode(QStringLiteral("Hello"));
    m_layout->state->fileName = path;
    m_layout->state->textChanged = false;
    return path;
}

void SendByMailTest::openSendWindow()
{
    m_layout->action(QStringLiteral("btnSendMail"))->trigger();
    QVERIFY(sendWindowOpen());
}

void SendByMailTest::refusesUnsavedOrEmptyDocument_data()
{
    QTest::addColumn<bool>("typeText");
    QTest::newRow("text edited since saving") << true;
    QTest::newRow("no text") << false;
}

void SendByMailTest::refusesUnsavedOrEmptyDocument()
{
    QFETCH(bool, typeText);
    saveDocument(QStringLiteral("refused.rtf"));
    if (typeText) {
        m_layout->engine->VelkoField->setFocus();
        QTest::keyClicks(m_layout->engine->VelkoField, QStringLiteral(" more"));
        QVERIFY(m_layout->state->textChanged);
    } else {
        m_layout->engine->VelkoField->clearFromCode();
    }

    m_layout->action(QStringLiteral("btnSendMail"))->trigger();
    QMessageBox* alert = testsupport::waitForAlert();
    QVERIFY(alert);
    QCOMPARE(alert->text(), QStringLiteral("Document not saved."));
    QCOMPARE(alert->informativeText(), QStringLiteral("Please save the document before send it."));
    QCOMPARE(alert->buttons().size(), 1);
    QVERIFY(testsupport::clickAlertButton(alert, QStringLiteral("OK")));
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QVERIFY(!sendWindowOpen());
}

void SendByMailTest::handsSavedDocumentToClient_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<QString>("recipient");
    QTest::addColumn<QString>("message");

    QTest::newRow("plain name, no message") << "note.srtf"
                                            << "someone@example.org"
                                            << "";
    QTest::newRow("spaces, commas, non-ASCII") << "a dir, with comma/Бележка, 1 ü.rtf"
                                               << "Ivan <ivan@example.bg>"
                                               << "Здравей,\nsee C:\\new & 100% \"this\"";
}

void SendByMailTest::handsSavedDocumentToClient()
{
    QFETCH(QString, relativePath);
    QFETCH(QString, recipient);
    QFETCH(QString, message);
    testsupport::FakeMailClient client(m_home.path(), QStringLiteral("fakemail"),
                                       QStringLiteral("fakemail.desktop"));
    client.forget();
    const QString path = saveDocument(relativePath);
    const QString name = QFileInfo(path).fileName();

    openSendWindow();
    Engine* engine = m_layout->engine;
    QCOMPARE(engine->mailAttachmentFileName->text(), name);
    QCOMPARE(engine->mailSenderName->text(), fullUserName());
    engine->mailRecipientMail->setText(recipient);
    engine->mailAdditionalTextMessageField->setPlainText(message);
    button("btnSendByMail")->click();

    QTRY_VERIFY_WITH_TIMEOUT(!sendWindowOpen(), 10000);
    QVERIFY(!QApplication::activeModalWidget());
    const QStringList arguments = client.arguments();
    QCOMPARE(arguments.size(), 1);
    const QMap<QString, QString> fields = testsupport::mailtoFields(arguments.first());
    QCOMPARE(fields.value(QStringLiteral("to")), recipient);
    QCOMPARE(fields.value(QStringLiteral("subject")), QStringLiteral("Velko document: ") + name);
    QCOMPARE(fields.value(QStringLiteral("body")), message + QStringLiteral("\n\nSend by Velko\n"));
    QCOMPARE(fields.value(QStringLiteral("attach")), path);
    // Nothing of the document changed.
    QCOMPARE(m_layout->state->fileName, path);
    QVERIFY(!m_layout->state->textChanged);
}

void SendByMailTest::failureKeepsWindowAndFields_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("clientStarted");
    QTest::newRow("no mail client") << "no client" << int(ErrorCode::MailNoClient) << false;
    QTest::newRow("never saved") << "untitled" << int(ErrorCode::FileRead) << false;
    QTest::newRow("file removed") << "removed" << int(ErrorCode::FileRead) << false;
    QTest::newRow("client fails") << "client fails" << int(ErrorCode::MailFailed) << true;
}

void SendByMailTest::failureKeepsWindowAndFields()
{
    QFETCH(QString, situation);
    QFETCH(int, code);
    QFETCH(bool, clientStarted);
    testsupport::FakeMailClient client(m_home.path(), QStringLiteral("fakemail"),
                                       QStringLiteral("fakemail.desktop"),
                                       situation == QLatin1String("client fails") ? 1 : 0);
    client.forget();
    const QString path = saveDocument(QStringLiteral("kept.rtf"));
    if (situation == QLatin1String("no client"))
        client.unregister();
    if (situation == QLatin1String("untitled"))
        m_layout->state->fileName = kDefaultFileName;

    openSendWindow();
    Engine* engine = m_layout->engine;
    engine->mailRecipientMail->setText(QStringLiteral("someone@example.org"));
    engine->mailAdditionalTextMessageField->setPlainText(QStringLiteral("Keep me"));
    if (situation == QLatin1String("removed"))
        QFile::remove(path);
    button("btnSendByMail")->click();

    QMessageBox* alert = testsupport::waitForAlert(10000);
    QVERIFY(alert);
    const QString expected = userMessage(makeError(ErrorCode(code)));
    QVERIFY2(alert->informativeText().startsWith(expected), qPrintable(alert->informativeText()));
    QVERIFY(testsupport::clickAlertButton(alert, QStringLiteral("OK")));

    QVERIFY(sendWindowOpen());
    QCOMPARE(engine->mailRecipientMail->text(), QStringLiteral("someone@example.org"));
    QCOMPARE(engine->mailAdditionalTextMessageField->toPlainText(), QStringLiteral("Keep me"));
    QVERIFY(button("btnSendByMail")->isEnabled());
    QCOMPARE(client.wasStarted(), clientStarted);
}

void SendByMailTest::cancelKeepsFieldsAndRefillsTheRest()
{
    saveDocument(QStringLiteral("first.rtf"));
    openSendWindow();
    Engine* engine = m_layout->engine;
    engine->mailRecipientMail->setText(QStringLiteral("someone@example.org"));
    engine->mailAdditionalTextMessageField->setPlainText(QStringLiteral("Draft"));
    engine->mailSenderName->setText(QStringLiteral("Somebody Else"));
    button("btnSendMailCancel")->click();
    QVERIFY(!sendWindowOpen());

    saveDocument(QStringLiteral("second.srtf"));
    openSendWindow();
    QCOMPARE(engine->mailRecipientMail->text(), QStringLiteral("someone@example.org"));
    QCOMPARE(engine->mailAdditionalTextMessageField->toPlainText(), QStringLiteral("Draft"));
    QCOMPARE(engine->mailAttachmentFileName->text(), QStringLiteral("second.srtf"));
    QCOMPARE(engine->mailSenderName->text(), fullUserName());
}

int main(int argc, char** argv)
{
    // The offscreen platform offers an X11 native interface with no
    // connection behind it unless told not to; code that follows the window
    // manager's frames would then talk to a null connection.
    if (qEnvironmentVariableIsEmpty("QT_QPA_OFFSCREEN_NO_GLX"))
        qputenv("QT_QPA_OFFSCREEN_NO_GLX", "1");
    QApplication app(argc, argv);
    SendByMailTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_mail.moc"
