// The RC5 provider module, driven through the real /usr/bin/openssl.
#include <QProcess>
#include <QtTest>

namespace {

const QString kTool = QStringLiteral("/usr/bin/openssl");
const QString kModule = QStringLiteral(VELKO_BIN_DIR "/ossl-modules/velkorc5.so");

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runEnc(const QStringList& args, const QByteArray& input)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OPENSSL_CONF"), QStringLiteral("/dev/null"));
    environment.remove(QStringLiteral("OPENSSL_MODULES"));
    process.setProcessEnvironment(environment);
    process.start(kTool, QStringList{"enc"} + args +
                             QStringList{"-provider", "legacy", "-provider", kModule, "-provider",
                                         "default"});
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

QStringList rawKey(const char* keyHex, const char* ivHex, const QStringList& more = {})
{
    return QStringList{"-rc5", "-K", QString::fromLatin1(keyHex), "-iv",
                       QString::fromLatin1(ivHex)} +
           more;
}

const char* const kKey = "00112233445566778899aabbccddeeff";
const char* const kIv = "0011223344556677";

} // namespace

class TestRc5Provider : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void knownAnswers_data();
    void knownAnswers();
    void roundTripLengths_data();
    void roundTripLengths();
};

void TestRc5Provider::initTestCase()
{
    QVERIFY2(QFileInfo(kTool).isExecutable(), "the openssl tool is needed");
    QVERIFY2(QFileInfo::exists(kModule), qPrintable(kModule));
}

void TestRc5Provider::knownAnswers_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expectedHex"); // empty: refused (exit 1)

    // RFC 2040 section 9: 16-byte key, 12 rounds, one block, no padding.
    const char* const rfcKey = "01020304050607081020304050607080";
    QTest::newRow("rfc2040 encipher")
        << rawKey(rfcKey, "0102030405060708", {"-nopad"}) << QByteArray::fromHex("1020304050607080")
        << QByteArray("294ddb46b3278d60");
    QTest::newRow("rfc2040 decipher")
        << rawKey(rfcKey, "0102030405060708", {"-nopad", "-d"})
        << QByteArray::fromHex("294ddb46b3278d60") << QByteArray("1020304050607080");
    // An OpenSSL built with RC5, password-based with a fixed salt.
    const QStringList salted{"-pass", "pass:velko", "-S", "0102030405060708", "-md", "sha256"};
    const QByteArray rtf = "{\\rtf1 hello}";
    QTest::newRow("salted rc5") << QStringList{"-rc5"} + salted << rtf
                                << QByteArray("fdab795bfd72f8f2e99f6652d48b38f0");
    QTest::newRow("salted rc5-cbc name") << QStringList{"-rc5-cbc"} + salted << rtf
                                         << QByteArray("fdab795bfd72f8f2e99f6652d48b38f0");
    QTest::newRow("salted rc5 decipher")
        << QStringList{"-rc5", "-d"} + salted
        << QByteArray::fromHex("fdab795bfd72f8f2e99f6652d48b38f0") << rtf.toHex();

    QTest::newRow("nopad, partial block")
        << rawKey(kKey, kIv, {"-nopad"}) << QByteArray("twelve bytes") << QByteArray();
    QTest::newRow("decipher, partial block")
        << rawKey(kKey, kIv, {"-d"}) << QByteArray("twelve bytes") << QByteArray();
    // Sixteen bytes of zeros deciphered: the padding byte is garbage.
    QTest::newRow("decipher, bad padding")
        << rawKey(kKey, kIv, {"-d"}) << QByteArray(16, '\0') << QByteArray();
}

void TestRc5Provider::knownAnswers()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expectedHex);
    const Run run = runEnc(args, input);
    if (expectedHex.isEmpty()) {
        QCOMPARE(run.exitCode, 1);
        return;
    }
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(run.out.toHex(), expectedHex);
}

void TestRc5Provider::roundTripLengths_data()
{
    QTest::addColumn<int>("length");
    for (int length : {0, 1, 7, 8, 9, 15, 16, 17, 4095, 4096, 4097, 1 << 20})
        QTest::addRow("%d bytes", length) << length;
}

// Padding, the held-back last block and buffering across the tool's 4 KiB
// reads: every length comes back whole, and padded output is always one
// block longer than the whole blocks of the input.
void TestRc5Provider::roundTripLengths()
{
    QFETCH(int, length);
    QByteArray plain(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        plain[i] = char((i * 131 + 7) & 0xff);
    const Run enciphered = runEnc(rawKey(kKey, kIv), plain);
    QVERIFY2(enciphered.exitCode == 0, enciphered.err.constData());
    QCOMPARE(enciphered.out.size(), (length / 8 + 1) * 8);
    const Run deciphered = runEnc(rawKey(kKey, kIv, {"-d"}), enciphered.out);
    QVERIFY2(deciphered.exitCode == 0, deciphered.err.constData());
    QCOMPARE(deciphered.out, plain);
}

QTEST_GUILESS_MAIN(TestRc5Provider)
#include "tst_rc5provider.moc"
