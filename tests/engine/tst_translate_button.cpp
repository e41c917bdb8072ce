// The translate button sends its one fixed request and changes nothing,
// whatever the answer.
#include "../translator/loopbackhttpserver.h"
#include "testsupport.h"

using namespace velko;

class TranslateButtonTest : public QObject
{
    Q_OBJECT

private slots:
    void sendsFixedRequestAndChangesNothing_data();
    void sendsFixedRequestAndChangesNothing();

private:
    testsupport::TempHome m_home;
    LoopbackHttpServer m_server;
};

void TranslateButtonTest::sendsFixedRequestAndChangesNothing_data()
{
    QTest::addColumn<QByteArray>("answer"); // empty: no server listening
    QTest::newRow("200 with a body") << LoopbackHttpServer::answer(200, R"(["Здравей",)");
    QTest::newRow("redirect") << LoopbackHttpServer::redirect(302, "/elsewhere");
    QTest::newRow("no server") << QByteArray();
}

void TranslateButtonTest::sendsFixedRequestAndChangesNothing()
{
    QFETCH(QByteArray, answer);
    m_server.setAnswer("/bg/", answer);
    m_server.setAnswer("/elsewhere", LoopbackHttpServer::answer(200, "moved"));
    m_server.clearRequests();
    QString base = m_server.baseUrl("/bg");
    if (answer.isEmpty()) {
        QTcpServer probe; // a port nothing listens on once it is closed
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        base = QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort());
    }

    std::unique_ptr<Layout> layout = testsupport::makeDocumentWindow();
    layout->engine->translationBaseUrl = QUrl(base);
    layout->engine->VelkoField->setPlainTextFromCode(QStringLiteral("hi there all"));
    layout->state->textChanged = true;
    const QStringList before = testsupport::snapshotOf(*layout);
    layout->action("btnTranslateToBulgarian")->trigger();

    if (!answer.isEmpty()) {
        const QList<LoopbackHttpServer::Request> requests = m_server.requests();
        QVERIFY(!requests.isEmpty());
        QCOMPARE(requests[0].method, "GET");
        QCOMPARE(requests[0].target, "/bg/translate_t%23en%7Cfr%7Chi%20there%20all");
    }
    QCOMPARE(testsupport::snapshotOf(*layout), before);
    // An answer is not reported; a service out of reach is.
    auto* alert = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    QCOMPARE(alert != nullptr, answer.isEmpty());
    if (alert) {
        QVERIFY(alert->informativeText().contains(QLatin1String("could not be reached")));
        alert->accept();
    }
}

QTEST_MAIN(TranslateButtonTest)
#include "tst_translate_button.moc"
