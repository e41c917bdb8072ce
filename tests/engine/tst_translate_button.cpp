#include "../translator/loopbackhttpserver.h"
#include "testsupport.h"

#include "app/layout.h"
#include "engine/engine.h"
#include "feedback/velkotextview.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QTest>

using namespace velko;

namespace {

// Everything the command must leave as it found it.
struct Snapshot
{
    QString fileName;
    bool textChanged;
    bool isLastSavedASecureFile;
    QString cipher;
    QByteArray DataToWrite;
    QString html;
    bool readOnly;
    QString label;
    QString title;

    static Snapshot of(const Layout& layout)
    {
        const DocumentState& state = *layout.state;
        return {state.fileName,
                state.textChanged,
                state.isLastSavedASecureFile,
                state.cipher,
                state.DataToWrite,
                layout.engine->VelkoField->toHtml(),
                layout.engine->VelkoField->isReadOnly(),
                layout.engine->setFileNameLabel->text(),
                layout.mainWindow->windowTitle()};
    }
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

const QByteArray kFixedTarget = "/translate_t%23en%7Cfr%7Chi%20there%20all";

} // namespace

class TranslateButtonTest : public QObject
{
    Q_OBJECT

private slots:
    void sendsFixedRequestAndChangesNothing_data();
    void sendsFixedRequestAndChangesNothing();
    void noServerChangesNothing();

private:
    testsupport::TempHome m_home;
    LoopbackHttpServer m_server;
};

void TranslateButtonTest::sendsFixedRequestAndChangesNothing_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("200 with a body") << LoopbackHttpServer::answer(200, R"(["Здравей",)");
    QTest::newRow("404") << LoopbackHttpServer::answer(404, "not here");
    QTest::newRow("redirect") << LoopbackHttpServer::redirect(302, "/elsewhere");
}

void TranslateButtonTest::sendsFixedRequestAndChangesNothing()
{
    QFETCH(QByteArray, answer);
    QVERIFY(m_server.isListening());
    m_server.setAnswer("/bg/", answer);
    m_server.setAnswer("/elsewhere", LoopbackHttpServer::answer(200, "moved"));
    m_server.clearRequests();

    std::unique_ptr<Layout> layout = testsupport::makeDocumentWindow();
    layout->engine->translationBaseUrl = QUrl(m_server.baseUrl("/bg"));
    layout->engine->VelkoField->setPlainTextFromCode(QStringLiteral("hi there all"));
    layout->state->textChanged = true;
    const Snapshot before = Snapshot::of(*layout);

    QAction* action = layout->action(QStringLiteral("btnTranslateToBulgarian"));
    QVERIFY(action);
    QVERIFY(!action->text().isEmpty());
    action->trigger();

    const QList<LoopbackHttpServer::Request> requests = m_server.requests();
    QVERIFY(!requests.isEmpty());
    QCOMPARE(requests[0].method, "GET");
    QCOMPARE(requests[0].target, "/bg" + kFixedTarget);
    QVERIFY(Snapshot::of(*layout) == before);
    QCOMPARE(QApplication::activeModalWidget(), nullptr); // nothing is reported
}

void TranslateButtonTest::noServerChangesNothing()
{
    quint16 freePort = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        freePort = probe.serverPort();
    }
    std::unique_ptr<Layout> layout = testsupport::makeDocumentWindow();
    layout->engine->translationBaseUrl = QUrl(QStringLiteral("http://127.0.0.1:%1").arg(freePort));
    layout->engine->VelkoField->setPlainTextFromCode(QStringLiteral("kept"));
    const Snapshot before = Snapshot::of(*layout);

    layout->action(QStringLiteral("btnTranslateToBulgarian"))->trigger();

    QVERIFY(Snapshot::of(*layout) == before);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

QTEST_MAIN(TranslateButtonTest)
#include "tst_translate_button.moc"
