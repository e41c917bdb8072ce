// The pure parts of the cipher pipeline: what the tool is told, the keyword
// line, the Base64 layout and the complete-RTF check.
#include "core/opensslcommand.h"
#include "core/securetext.h"

#include <QtTest>

using namespace velko;

class TestPipelineParts : public QObject
{
    Q_OBJECT

private slots:
    void completeRtf_data();
    void completeRtf();
    void textParts_data();
    void textParts();
    void providers();
    void toolVersion_data();
    void toolVersion();
};

void TestPipelineParts::completeRtf_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("complete");
    QTest::newRow("nested groups")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0 Helvetica;}}\\f0 x}") << true;
    QTest::newRow("trailing line feed and NUL") << QByteArray("{\\rtf1 x}\r\n\0", 13) << true;
    QTest::newRow("escaped braces") << QByteArray("{\\rtf1 a\\{b\\}c}") << true;
    QTest::newRow("escaped backslash before close") << QByteArray("{\\rtf1 a\\\\}") << true;
    QTest::newRow("hex escape of a brace") << QByteArray("{\\rtf1 \\'7d}") << true;
    QTest::newRow("binary data holding braces")
        << QByteArray("{\\rtf1{\\pict\\bin4 }}{{}}") << true;
    QTest::newRow("binary data, no space") << QByteArray("{\\rtf1{\\pict\\bin2{{}}") << true;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("not rtf") << QByteArray("hello world") << false;
    QTest::newRow("rtf prefix of a cut document") << QByteArray("{\\rtf1{\\b bold}") << false;
    QTest::newRow("escaped close does not close") << QByteArray("{\\rtf1 a\\}") << false;
    QTest::newRow("binary data running past the end") << QByteArray("{\\rtf1\\bin10 abc}") << false;
    QTest::newRow("garbage after the document") << QByteArray("{\\rtf1 x}\x93\x11") << false;
    QTest::newRow("extra close") << QByteArray("{\\rtf1 x}}") << false;
    QTest::newRow("backslash at the end") << QByteArray("{\\rtf1 x\\") << false;
}

void TestPipelineParts::completeRtf()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, complete);
    QCOMPARE(isCompleteRtf(data), complete);
}

// The Base64 layout written to disk and the keyword line the tool reads:
// each either comes out as expected or is refused with its own error.
void TestPipelineParts::textParts_data()
{
    QTest::addColumn<bool>("keyword"); // false: Base64 text
    QTest::addColumn<QString>("input");
    QTest::addColumn<QByteArray>("expected"); // empty: refused

    const QByteArray line64(64, 'A');
    QTest::newRow("base64 one long line")
        << false << QString(64 + 64 + 10, 'A')
        << line64 + '\n' + line64 + '\n' + QByteArray(10, 'A') + '\n';
    QTest::newRow("base64 crlf lines") << false << "U2Fs\r\ndGVk\r\n" << QByteArray("U2FsdGVk\n");
    QTest::newRow("base64 spaces and tabs") << false << " U2 Fs\tdGVk \n\n"
                                            << QByteArray("U2FsdGVk\n");
    QTest::newRow("base64 exactly 64") << false << QString(64, 'A') << line64 + '\n';
    QTest::newRow("base64 padding kept") << false << "QQ==\n" << QByteArray("QQ==\n");
    QTest::newRow("base64 foreign characters") << false << "U2Fs*dGVk" << QByteArray();
    QTest::newRow("base64 only whitespace") << false << " \r\n\n" << QByteArray();

    QTest::newRow("keyword empty") << true << QString() << QByteArray("\n");
    QTest::newRow("keyword spaces and quotes")
        << true << QStringLiteral(" a \"b\" 'c' ") << QByteArray(" a \"b\" 'c' \n");
    QTest::newRow("keyword utf-8") << true << QStringLiteral("Größe €")
                                   << QByteArray("Gr\xc3\xb6\xc3\x9f"
                                                 "e \xe2\x82\xac\n");
    QTest::newRow("keyword 1023 bytes")
        << true << QString(1023, QLatin1Char('k')) << QByteArray(1023, 'k') + '\n';
    QTest::newRow("keyword 1024 bytes") << true << QString(1024, QLatin1Char('k')) << QByteArray();
    QTest::newRow("keyword 600 characters, 1200 bytes")
        << true << QString(600, QChar(0xe9)) << QByteArray();
    QTest::newRow("keyword line feed") << true << QStringLiteral("one\ntwo") << QByteArray();
    QTest::newRow("keyword carriage return") << true << QStringLiteral("one\rtwo") << QByteArray();
    QTest::newRow("keyword null character")
        << true << QString(QChar(0)) + QStringLiteral("x") << QByteArray();
}

void TestPipelineParts::textParts()
{
    QFETCH(bool, keyword);
    QFETCH(QString, input);
    QFETCH(QByteArray, expected);
    const Result<QByteArray> made =
        keyword ? openssl::keywordLine(input) : normaliseBase64(input.toLatin1());
    if (expected.isEmpty()) {
        QVERIFY(!made);
        QCOMPARE(made.error().code, keyword ? ErrorCode::KeywordRefused : ErrorCode::WrongKeyword);
        QVERIFY(!keyword || !made.error().detail.isEmpty());
    } else {
        QVERIFY(made);
        QCOMPARE(made.value(), expected);
    }
}

// OpenSSL 3 needs the legacy provider and ours; 1.1 has its ciphers built
// in. (The cipher stage's arguments are checked on real runs.)
void TestPipelineParts::providers()
{
    const QString module = QStringLiteral("/opt/velko/ossl-modules/velkorc5.so");
    QCOMPARE(openssl::providerArguments(3, module),
             (QStringList{"-provider", "legacy", "-provider", module, "-provider", "default"}));
    QVERIFY(openssl::providerArguments(1, module).isEmpty());
}

void TestPipelineParts::toolVersion_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<int>("major"); // -1: not recognised
    QTest::newRow("3.0") << QByteArray("OpenSSL 3.0.19 27 Jan 2026 (Library: OpenSSL 3.0.19)\n")
                         << 3;
    QTest::newRow("1.1.1") << QByteArray("OpenSSL 1.1.1w  11 Sep 2023\n") << 1;
    QTest::newRow("libressl") << QByteArray("LibreSSL 3.8.2\n") << -1;
}

void TestPipelineParts::toolVersion()
{
    QFETCH(QByteArray, output);
    QFETCH(int, major);
    QCOMPARE(openssl::parseMajorVersion(output).value_or(-1), major);
}

QTEST_GUILESS_MAIN(TestPipelineParts)
#include "tst_pipelineparts.moc"
