// Translate sends its one fixed request without holding up the window, and
// shows what came back in a window of its own, or tells why nothing did;
// the document is left as it was.
#include "../translator/loopbackhttpserver.h"
#include "testsupport.h"

#include <QPlainTextEdit>
#include <QStatusBar>

using namespace velko;

class TranslateButtonTest : public QObject
{
    Q_OBJECT

private slots:
    void showsTheAnswerAndChangesNothing_data();
    void showsTheAnswerAndChangesNothing();

private:
    testsupport::TempHome m_home;
    LoopbackHttpServer m_server;
};

void TranslateButtonTest::showsTheAnswerAndChangesNothing_data()
{
    QTest::addColumn<QByteArray>("answer"); // empty: no server listening
    QTest::addColumn<QString>("shown");     // in the window, or in the alert
    using Server = LoopbackHttpServer;
    const QByteArray page = "<!DOCTYPE html><html><head><title>Translate</title><style>p "
                            "{}</style><script>var a = \"x\", b;</script></head><body><p>Hello "
                            "&amp; welcome,\n   friend</p><!-- note --></body></html>";
    QTest::newRow("translation") << Server::answer(200, R"(["Здравей",)")
                                 << QStringLiteral("Здравей");
    QTest::newRow("web page") << Server::answer(200, page, {{"Content-Type", "text/html"}})
                              << QStringLiteral("Translate\nHello & welcome, friend");
    QTest::newRow("long answer") << Server::answer(200, QByteArray(3000, 'a'))
                                 << QString(2000, QLatin1Char('a')) + QChar(0x2026);
    QTest::newRow("redirect") << Server::redirect(302, "/elsewhere") << QStringLiteral("moved");
    QTest::newRow("not found") << Server::answer(404, "no such page")
                               << QStringLiteral("The service answered with status 404.\n\n"
                                                 "no such page");
    QTest::newRow("no server") << QByteArray() << QStringLiteral("could not be reached");
    QTest::newRow("no answer in time") << QByteArray("hold") << QStringLiteral("within 0.3");
}

void TranslateButtonTest::showsTheAnswerAndChangesNothing()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, shown);
    m_server.setAnswer("/bg/", answer == "hold" ? QByteArray() : answer);
    m_server.setAnswer("/elsewhere", LoopbackHttpServer::answer(200, "moved"));
    m_server.clearRequests();
    QString base = m_server.baseUrl("/bg");
    if (answer.isEmpty()) {
        QTcpServer probe; // a port nothing listens on once it is closed
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        base = QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort());
    }

    std::unique_ptr<Layout> layout = testsupport::makeDocumentWindow();
    Engine& engine = *layout->engine;
    engine.translationBaseUrl = QUrl(base);
    engine.translationTimeoutMs = 300;
    engine.VelkoField->setPlainTextFromCode(QStringLiteral("hi there all"));
    layout->state->textChanged = true;
    const QStringList before = testsupport::snapshotOf(*layout);
    layout->action("btnTranslateToBulgarian")->trigger();
    // The window does not wait for the answer.
    QVERIFY(!engine.translationWindow->isVisible() && !QApplication::activeModalWidget());
    QVERIFY(!layout->mainWindow->statusBar()->currentMessage().isEmpty());

    const bool reached = !answer.isEmpty() && answer != "hold";
    if (reached) {
        QTRY_VERIFY(isChildWindowAttached(layout->mainWindow.get(), engine.translationWindow));
        QCOMPARE(engine.translationText->toPlainText(), shown);
        QVERIFY(engine.translationText->isReadOnly());
        testsupport::button(engine.translationWindow, "btnTranslationClose")->click();
        QVERIFY(!engine.translationWindow->isVisible());
        const QList<LoopbackHttpServer::Request> requests = m_server.requests();
        QCOMPARE(requests.value(0).method, "GET");
        QCOMPARE(requests.value(0).target, "/bg/translate_t%23en%7Cfr%7Chi%20there%20all");
    } else {
        QMessageBox* alert = testsupport::waitForAlert(5000);
        QVERIFY(alert);
        QVERIFY2(alert->informativeText().contains(shown), qPrintable(alert->informativeText()));
        alert->accept();
        QVERIFY(!engine.translationWindow->isVisible());
    }
    QVERIFY(layout->mainWindow->statusBar()->currentMessage().isEmpty());
    QCOMPARE(testsupport::snapshotOf(*layout), before);
}

QTEST_MAIN(TranslateButtonTest)
#include "tst_translate_button.moc"
