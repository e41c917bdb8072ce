#include "loopbackhttpserver.h"

#include "translator/translator.h"

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

QByteArray encoded(const QByteArray& body, const QByteArray& coding)
{
    return LoopbackHttpServer::answer(200, body, {{"Content-Encoding", coding}});
}

// Answers by target prefix.
using Routes = LoopbackHttpServer::Headers;

const QString kUnable = QStringLiteral("Unable to translate text");
const QString kQuiet = QStringLiteral("velko.translator.info=false");
const LoopbackHttpServer::Headers kHeaders = {
    {"Accept-Charset", "utf-8"},
    {"Accept-Encoding", "gzip,deflate"},
    {"User-Agent", "Mozilla/5.0 (Macintosh; U; Intel Mac OS X 10.5; en-US; rv:1.9.0.6) "
                   "Gecko/2009011912 Firefox/3.0.6"},
    {"Accept", "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"},
    {"Accept-Language", "en-us,en;q=0.5"},
};
const QByteArray kHalloWelt = R"(["Hallo Welt","hello world","",""])";

} // namespace

class TranslatorTest : public QObject
{
    Q_OBJECT

private slots:
    // The client's one log line would flood the output of the tables.
    void initTestCase() { QLoggingCategory::setFilterRules(kQuiet); }

    void queryReachesServerIntact_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QByteArray>("query");
        QTest::newRow("reserved and escaped")
            << "a&b=c+d %20"
            << "d e&" << QByteArray("d%20e%26&text=a%26b%3Dc%2Bd%20%2520");
        QTest::newRow("non-ASCII letters")
            << QStringLiteral("Grüße, мир") << "en"
            << QByteArray("en&text=Gr%C3%BC%C3%9Fe%2C%20%D0%BC%D0%B8%D1%80");
    }

    // The query, the fixed headers and the one log line with the URL sent.
    void queryReachesServerIntact()
    {
        QFETCH(QString, text);
        QFETCH(QString, language);
        QFETCH(QByteArray, query);
        m_server.setAnswer("/query/", LoopbackHttpServer::answer(200, kHalloWelt));
        m_server.clearRequests();
        const QByteArray target = "/query/translate_a/t?client=t&sl=auto&tl=" + query;
        QLoggingCategory::setFilterRules(QString());
        QTest::ignoreMessage(QtInfoMsg,
                             qPrintable("urlEncodedString = " + m_server.baseUrl(target)));
        QCOMPARE(translator::translateText(text, language, optionsFor("/query")), "Hallo Welt");
        QLoggingCategory::setFilterRules(kQuiet);

        QCOMPARE(m_server.requests().size(), 1);
        QCOMPARE(m_server.requests()[0].target, target);
        QMap<QByteArray, QByteArray> sent;
        for (const auto& [name, value] : m_server.requests()[0].headers)
            sent.insert(name.trimmed().toLower(), value);
        QVERIFY(!sent.contains("keep-alive"));
        for (const auto& [name, value] : kHeaders)
            QCOMPARE(sent.value(name.toLower()), value);
    }

    void serverAnswers_data(); // below: its raw strings are beyond moc

    // What the service's answer gives the user: the translation, or the one
    // notice when there is none to take.
    void serverAnswers()
    {
        QFETCH(Routes, answers);
        QFETCH(QString, expected);
        for (const auto& [prefix, answer] : answers)
            m_server.setAnswer(prefix, answer);
        const QString route = QString::fromLatin1(answers.first().first);
        const TranslatorOptions options =
            route.startsWith(u'/') ? optionsFor(route) : TranslatorOptions{route, 5000};
        QCOMPARE(translator::translateText("hello world", "de", options), expected);
    }

    // A call waiting for its time-out holds up no other; the silent server did
    // get the request, and left it unanswered.
    void callsFromOtherThreads()
    {
        m_server.setAnswer("/threads/", LoopbackHttpServer::answer(200, kHalloWelt));
        m_server.setAnswer("/threads/slow", QByteArray());
        m_server.clearRequests();
        QString fast, slow;
        std::unique_ptr<QThread> slowThread(QThread::create([&] {
            slow = translator::translateText("x", "de", optionsFor("/threads/slow", 3000));
        }));
        std::unique_ptr<QThread> fastThread(QThread::create(
            [&] { fast = translator::translateText("x", "de", optionsFor("/threads")); }));
        slowThread->start();
        fastThread->start();
        QVERIFY(fastThread->wait(2000));
        QCOMPARE(fast, "Hallo Welt");
        QVERIFY(slowThread->wait(10000));
        QCOMPARE(slow, kUnable);
        QCOMPARE(m_server.requests().size(), 2);
    }

private:
    TranslatorOptions optionsFor(const QString& prefix, int timeoutMs = 5000) const
    {
        return TranslatorOptions{m_server.baseUrl(prefix), timeoutMs};
    }

    LoopbackHttpServer m_server;
};

void TranslatorTest::serverAnswers_data()
{
    QTest::addColumn<Routes>("answers"); // the request goes to the first
    QTest::addColumn<QString>("expected");
    using Server = LoopbackHttpServer;
    const auto row = [](const char* name, const Routes& routes, const QString& expected) {
        QTest::newRow(name) << routes << expected;
    };
    int n = 0;
    const auto ok = [&](const char* name, const QByteArray& body, const QString& expected) {
        row(name, {{"/ok" + QByteArray::number(++n), Server::answer(200, body)}}, expected);
    };
    ok("200", kHalloWelt, "Hallo Welt");
    ok("cut at first marker", R"(["Er sagte "ja", dann","x"])", R"(Er sagte "ja)");
    ok("line breaks", R"(["eins\n zwei\N drei","x"])", "eins\r\nzwei\r\ndrei");
    ok("n without blank stays", R"(["a\nb\n","x"])", R"(a\nb\n)");
    ok("empty translation", R"(["",)", "");
    ok("no marker", R"(["Hallo Welt"])", kUnable);
    ok("one character before marker", R"(x",rest)", kUnable);
    ok("UTF-8 without charset", QStringLiteral("[\"Привет, мир\",\"x\"]").toUtf8(),
       QStringLiteral("Привет, мир"));
    row("404 with a translation in its body", {{"/s404", Server::answer(404, kHalloWelt)}},
        kUnable);
    row("redirect chain to 200",
        {{"/hop1", Server::redirect(302, "/hop2/x")},
         {"/hop2", Server::redirect(307, "/final/z")},
         {"/final", Server::answer(200, kHalloWelt)}},
        "Hallo Welt");
    row("redirect loop", {{"/loop", Server::redirect(302, "/loop")}}, kUnable);
    row("gzip", {{"/gzip", encoded(compress(kHalloWelt, 31), "gzip")}}, "Hallo Welt");
    row("zlib", {{"/zlib", encoded(compress(kHalloWelt, 15), "deflate")}}, "Hallo Welt");
    row("deflate, raw", {{"/raw", encoded(compress(kHalloWelt, -15), "deflate")}}, "Hallo Welt");
    row("gzip cut short", {{"/cut", encoded(compress(kHalloWelt, 31).left(12), "gzip")}}, kUnable);
    // Answers beyond 4 MB are given up, compressed or not, however they begin.
    const QByteArray huge = kHalloWelt + QByteArray(5 * 1024 * 1024, ' ');
    row("answer beyond the limit", {{"/huge", Server::answer(200, huge)}}, kUnable);
    row("gzip beyond the limit", {{"/bomb", encoded(compress(huge, 31), "gzip")}}, kUnable);
    row("Latin-1 declared",
        {{"/latin1", Server::answer(200, "[\"Gr\374\337e\",\"x\"]",
                                    {{"Content-Type", "text/plain; charset=ISO-8859-1"}})}},
        QStringLiteral("Grüße"));
    // Nothing listens on port 1; a URL without a scheme goes nowhere.
    row("nothing listening", {{"http://127.0.0.1:1", {}}}, kUnable);
    row("no scheme", {{"no scheme", {}}}, kUnable);
}

QTEST_GUILESS_MAIN(TranslatorTest)
#include "tst_translator.moc"
