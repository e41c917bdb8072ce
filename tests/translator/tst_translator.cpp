#include "loopbackhttpserver.h"

#include "translator/translator.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTest>

#include <zlib.h>

using namespace velko;

namespace {

// windowBits 31: gzip wrapper, 15: zlib wrapper, -15: raw deflate.
QByteArray compress(const QByteArray& data, int windowBits)
{
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(static_cast<qsizetype>(deflateBound(&stream, data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.truncate(static_cast<qsizetype>(stream.total_out));
    deflateEnd(&stream);
    return out;
}

QByteArray gzipAnswer(const QByteArray& body, int windowBits, const QByteArray& coding)
{
    return LoopbackHttpServer::answer(200, compress(body, windowBits),
                                      {{"Content-Encoding", coding}});
}

// Answers by target prefix.
using Routes = QList<QPair<QByteArray, QByteArray>>;

const QString kUnable = QStringLiteral("Unable to translate text");
const QByteArray kHalloWelt = R"(["Hallo Welt","hello world","",""])";

} // namespace

class TranslatorTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void answerParsing_data();
    void answerParsing();
    void queryReachesServerIntact_data();
    void queryReachesServerIntact();
    void headersAndLogLine();
    void serverAnswers_data();
    void serverAnswers();
    void noServerListening();
    void silentServerTimesOut();
    void callsFromOtherThreads();
    void fixedRequest();

private:
    TranslatorOptions optionsFor(const QString& prefix, int timeoutMs = 5000) const
    {
        return TranslatorOptions{m_server.baseUrl(prefix), timeoutMs};
    }

    LoopbackHttpServer m_server;
};

void TranslatorTest::initTestCase()
{
    QVERIFY(m_server.isListening());
    // The client's one log line would flood the output of the tables.
    QLoggingCategory::setFilterRules(QStringLiteral("velko.translator.info=false"));
}

void TranslatorTest::answerParsing_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("expected"); // null: no translation in the answer

    const auto row = [](const char* name, const char* answer, const QString& expected) {
        QTest::newRow(name) << QString::fromUtf8(answer) << expected;
    };
    row("plain", R"(["Hallo Welt","hello world"])", "Hallo Welt");
    row("cut at first marker", R"(["Er sagte "ja", dann","x"])", R"(Er sagte "ja)");
    row("line break", R"(["eins\n zwei\n drei","x"])", "eins\r\nzwei\r\ndrei");
    row("capital N line break", R"(["eins\N zwei","x"])", "eins\r\nzwei");
    row("n without blank stays", R"(["a\nb\n","x"])", R"(a\nb\n)");
    row("empty translation", R"(["",)", "");
    row("no marker", R"(["Hallo Welt"])", QString());
    row("marker at start", R"(",rest)", QString());
    row("one character before marker", R"(x",rest)", QString());
}

void TranslatorTest::answerParsing()
{
    QFETCH(QString, answer);
    QFETCH(QString, expected);
    const std::optional<QString> parsed = translator::parseAnswer(answer);
    QCOMPARE(parsed.has_value(), !expected.isNull());
    if (parsed)
        QCOMPARE(*parsed, expected);
}

void TranslatorTest::queryReachesServerIntact_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QByteArray>("query");

    const auto row = [](const char* name, const QString& text, const char* language,
                        const char* query) {
        QTest::newRow(name) << text << QString::fromLatin1(language)
                            << "client=t&sl=auto&tl=" + QByteArray(query);
    };
    row("two words", "hello world", "de", "de&text=hello%20world");
    row("ampersand, equals, plus", "a&b=c+d", "fr", "fr&text=a%26b%3Dc%2Bd");
    row("number and percent signs", "#1 at 100%", "fr", "fr&text=%231%20at%20100%25");
    row("already escaped stays literal", "%20", "fr", "fr&text=%2520");
    row("non-ASCII letters", QStringLiteral("Grüße, мир"), "en",
        "en&text=Gr%C3%BC%C3%9Fe%2C%20%D0%BC%D0%B8%D1%80");
    row("slash, question mark, quotes", "a/b?\"c\"", "en", "en&text=a%2Fb%3F%22c%22");
    row("language escaped too", "x", "d e&", "d%20e%26&text=x");
}

void TranslatorTest::queryReachesServerIntact()
{
    QFETCH(QString, text);
    QFETCH(QString, language);
    QFETCH(QByteArray, query);

    m_server.setAnswer("/query/", LoopbackHttpServer::answer(200, kHalloWelt));
    m_server.clearRequests();
    QCOMPARE(translator::translateText(text, language, optionsFor("/query")), "Hallo Welt");

    const QList<LoopbackHttpServer::Request> requests = m_server.requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0].method, "GET");
    QCOMPARE(requests[0].target, "/query/translate_a/t?" + query);
}

void TranslatorTest::headersAndLogLine()
{
    m_server.setAnswer("/headers/", LoopbackHttpServer::answer(200, kHalloWelt));
    m_server.clearRequests();
    QLoggingCategory::setFilterRules(QString());
    const QString url =
        m_server.baseUrl("/headers/translate_a/t?client=t&sl=auto&tl=de&text=a%20b");
    QTest::ignoreMessage(QtInfoMsg, qPrintable("urlEncodedString = " + url));
    QCOMPARE(translator::translateText("a b", "de", optionsFor("/headers")), "Hallo Welt");
    QLoggingCategory::setFilterRules(QStringLiteral("velko.translator.info=false"));

    const QList<QPair<QByteArray, QByteArray>> expected = {
        {"Accept-Charset", "utf-8"},
        {"Accept-Encoding", "gzip,deflate"},
        {"User-Agent", "Mozilla/5.0 (Macintosh; U; Intel Mac OS X 10.5; en-US; rv:1.9.0.6) "
                       "Gecko/2009011912 Firefox/3.0.6"},
        {"Accept", "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"},
        {"Accept-Language", "en-us,en;q=0.5"},
    };
    QCOMPARE(m_server.requests().size(), 1);
    QList<QPair<QByteArray, QByteArray>> sent;
    for (const auto& header : m_server.requests()[0].headers) {
        for (const auto& wanted : expected)
            if (header.first.compare(wanted.first, Qt::CaseInsensitive) == 0)
                sent.append({wanted.first, header.second});
        QVERIFY2(!header.first.trimmed().compare("Keep-Alive", Qt::CaseInsensitive) == 0,
                 "no Keep-Alive header is sent");
    }
    QCOMPARE(sent, expected);
}

void TranslatorTest::serverAnswers_data()
{
    QTest::addColumn<Routes>("answers"); // the request goes to the first
    QTest::addColumn<QString>("expected");

    using Server = LoopbackHttpServer;
    const QByteArray privet = QStringLiteral("[\"Привет, мир\",\"hello world\"]").toUtf8();
    const QString hallo = QStringLiteral("Hallo Welt");
    const auto row = [](const char* name, const Routes& routes, const QString& expected) {
        QTest::newRow(name) << routes << expected;
    };

    row("200", {{"/s200", Server::answer(200, kHalloWelt)}}, hallo);
    row("201", {{"/s201", Server::answer(201, kHalloWelt)}}, kUnable);
    row("204", {{"/s204", Server::answer(204)}}, kUnable);
    row("404 with a translation in its body", {{"/s404", Server::answer(404, kHalloWelt)}},
        kUnable);
    row("redirect chain to 200",
        {{"/hop1", Server::redirect(302, "/hop2/x")},
         {"/hop2", Server::redirect(301, "/hop3/y")},
         {"/hop3", Server::redirect(307, "/final/z")},
         {"/final", Server::answer(200, kHalloWelt)}},
        hallo);
    row("redirect to 404",
        {{"/gone", Server::redirect(302, "/missing")},
         {"/missing", Server::answer(404, kHalloWelt)}},
        kUnable);
    row("redirect loop", {{"/loop", Server::redirect(302, "/loop")}}, kUnable);
    row("200 without marker", {{"/nomark", Server::answer(200, "[\"Hallo Welt\"]")}}, kUnable);
    row("gzip", {{"/gzip", gzipAnswer(kHalloWelt, 31, "gzip")}}, hallo);
    row("deflate, zlib wrapper", {{"/zlib", gzipAnswer(kHalloWelt, 15, "deflate")}}, hallo);
    row("deflate, raw", {{"/raw", gzipAnswer(kHalloWelt, -15, "deflate")}}, hallo);
    row("gzip cut short",
        {{"/cut",
          Server::answer(200, compress(kHalloWelt, 31).left(12), {{"Content-Encoding", "gzip"}})}},
        kUnable);
    row("gzip after redirect",
        {{"/zhop", Server::redirect(302, "/zfinal")}, {"/zfinal", gzipAnswer(privet, 31, "gzip")}},
        QStringLiteral("Привет, мир"));
    row("UTF-8 without charset", {{"/utf8", Server::answer(200, privet)}},
        QStringLiteral("Привет, мир"));
    row("Latin-1 declared",
        {{"/latin1", Server::answer(200,
                                    "[\"Gr\xFC\xDF"
                                    "e\",\"x\"]",
                                    {{"Content-Type", "text/plain; charset=ISO-8859-1"}})}},
        QStringLiteral("Grüße"));
    row("line breaks and markers over the wire",
        {{"/lines", Server::answer(200, R"(["eins\n zwei\N drei\nvier","x"])")}},
        QStringLiteral("eins\r\nzwei\r\ndrei\\nvier"));
}

void TranslatorTest::serverAnswers()
{
    QFETCH(Routes, answers);
    QFETCH(QString, expected);

    for (const auto& [prefix, answer] : answers)
        m_server.setAnswer(prefix, answer);
    const QString route = QString::fromLatin1(answers.first().first);
    QCOMPARE(translator::translateText("hello world", "de", optionsFor(route)), expected);
}

void TranslatorTest::noServerListening()
{
    quint16 freePort = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        freePort = probe.serverPort();
    }
    QElapsedTimer clock;
    clock.start();
    const TranslatorOptions options{QStringLiteral("http://127.0.0.1:%1").arg(freePort), 5000};
    QCOMPARE(translator::translateText("hello", "de", options), kUnable);
    QVERIFY(clock.elapsed() < 4000);
    QCOMPARE(translator::translateText("hello", "de", {QStringLiteral("no scheme"), 5000}),
             kUnable);
}

void TranslatorTest::silentServerTimesOut()
{
    m_server.setAnswer("/silent/", QByteArray());
    m_server.clearRequests();
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(translator::translateText("hello", "de", optionsFor("/silent", 300)), kUnable);
    QVERIFY2(clock.elapsed() >= 250 && clock.elapsed() < 4000,
             qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(m_server.requests().size(), 1); // it did get through, and went unanswered
}

void TranslatorTest::callsFromOtherThreads()
{
    m_server.setAnswer("/threads/", LoopbackHttpServer::answer(200, kHalloWelt));
    m_server.setAnswer("/threads/slow", QByteArray());
    QString fast[3];
    QString slow;
    std::vector<std::unique_ptr<QThread>> threads;
    for (int i = 0; i < 3; ++i)
        threads.emplace_back(QThread::create(
            [&, i] { fast[i] = translator::translateText("x", "de", optionsFor("/threads")); }));
    threads.emplace_back(QThread::create(
        [&] { slow = translator::translateText("x", "de", optionsFor("/threads/slow", 500)); }));
    for (auto& thread : threads)
        thread->start();
    for (auto& thread : threads)
        QVERIFY(thread->wait(10000));
    for (const QString& result : fast)
        QCOMPARE(result, "Hallo Welt");
    QCOMPARE(slow, kUnable);
}

void TranslatorTest::fixedRequest()
{
    const QString base = m_server.baseUrl("/fixed");
    const QNetworkRequest request = translator::fixedBulgarianRequest(base);
    QCOMPARE(request.attribute(QNetworkRequest::CacheLoadControlAttribute).toInt(),
             int(QNetworkRequest::PreferCache));
    QCOMPARE(QUrl(translator::fixedBulgarianRequest("http://" + kTranslationServiceHost).url())
                 .toString(QUrl::FullyEncoded),
             "http://" + kTranslationServiceHost + "/translate_t%23en%7Cfr%7Chi%20there%20all");

    m_server.setAnswer("/fixed/", LoopbackHttpServer::answer(200, "whatever"));
    m_server.clearRequests();
    translator::sendFixedBulgarianRequest(base);
    QCOMPARE(m_server.requests().size(), 1);
    QCOMPARE(m_server.requests()[0].target, "/fixed/translate_t%23en%7Cfr%7Chi%20there%20all");
}

QTEST_GUILESS_MAIN(TranslatorTest)
#include "tst_translator.moc"
