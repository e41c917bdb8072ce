// The pure parts of the cipher pipeline: what the tool is told, the keyword
// line and the Base64 layout. (The complete-RTF check is the RTF grammar's,
// tested beside the reader.)
#include "core/opensslcommand.h"
#include "core/securetext.h"

#include <QtTest>

using namespace velko;

class TestPipelineParts : public QObject
{
    Q_OBJECT

private slots:
    void textParts_data();
    void textParts();
    void toolVersionAndProviders();
};

// The Base64 layout written to disk and the keyword line the tool reads:
// each either comes out as expected or is refused with its own error.
void TestPipelineParts::textParts_data()
{
    QTest::addColumn<bool>("keyword"); // false: Base64 text
    QTest::addColumn<QString>("input");
    QTest::addColumn<QByteArray>("expected"); // empty: refused

    QTest::newRow("base64 one long line")
        << false << QString(64 + 10, 'A')
        << QByteArray(64, 'A') + '\n' + QByteArray(10, 'A') + '\n';
    QTest::newRow("base64 spaces and tabs") << false << " U2 Fs\tdGVk \n\n"
                                            << QByteArray("U2FsdGVk\n");
    QTest::newRow("base64 foreign characters") << false << "U2Fs*dGVk" << QByteArray();

    QTest::newRow("keyword utf-8") << true << QStringLiteral("Größe €")
                                   << QByteArray("Gr\xc3\xb6\xc3\x9f"
                                                 "e \xe2\x82\xac\n");
    QTest::newRow("keyword 600 characters, 1200 bytes")
        << true << QString(600, QChar(0xe9)) << QByteArray();
    QTest::newRow("keyword line feed") << true << QStringLiteral("one\ntwo") << QByteArray();
}

void TestPipelineParts::textParts()
{
    QFETCH(bool, keyword);
    QFETCH(QString, input);
    QFETCH(QByteArray, expected);
    const auto line = [](const QString& text) -> Result<QByteArray> {
        const Result<SecretBytes> made = openssl::keywordLine(text.toUtf8());
        return made ? Result<QByteArray>(made.value().view().toByteArray()) : made.error();
    };
    const Result<QByteArray> made = keyword ? line(input) : normaliseBase64(input.toLatin1());
    if (expected.isEmpty()) {
        QVERIFY(!made);
        QCOMPARE(made.error().code, keyword ? ErrorCode::KeywordRefused : ErrorCode::NotBase64);
        QVERIFY(!keyword || !made.error().detail.isEmpty());
    } else {
        QVERIFY(made);
        QCOMPARE(made.value(), expected);
    }
}

// OpenSSL 3 needs the legacy provider and ours; 1.1 has its ciphers built in.
void TestPipelineParts::toolVersionAndProviders()
{
    QCOMPARE(openssl::parseMajorVersion("OpenSSL 3.0.19 27 Jan 2026 (Library: OpenSSL 3.0.19)\n"),
             3);
    QVERIFY(!openssl::parseMajorVersion("LibreSSL 3.8.2\n"));
    const QString module = QStringLiteral("/opt/velko/ossl-modules/velkorc5.so");
    QCOMPARE(openssl::providerArguments(3, module),
             (QStringList{"-provider", "legacy", "-provider", module, "-provider", "default"}));
    QVERIFY(openssl::providerArguments(1, module).isEmpty());
}

QTEST_GUILESS_MAIN(TestPipelineParts)
#include "tst_pipelineparts.moc"
