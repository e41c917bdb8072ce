// The RC5 provider module, driven through the real /usr/bin/openssl.
#include <QProcess>
#include <QtTest>

#include <optional>

namespace {

const QString kModule = QStringLiteral(VELKO_BIN_DIR "/ossl-modules/velkorc5.so");

// The tool's output, or nothing when it fails.
std::optional<QByteArray> runEnc(const QStringList& args, const QByteArray& input)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OPENSSL_CONF"), QStringLiteral("/dev/null"));
    environment.remove(QStringLiteral("OPENSSL_MODULES"));
    process.setProcessEnvironment(environment);
    process.start(
        QStringLiteral("/usr/bin/openssl"),
        QStringList{"enc"} + args +
            QStringList{"-provider", "legacy", "-provider", kModule, "-provider", "default"});
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

QStringList rawKey(const QStringList& more, const char* keyHex = "00112233445566778899aabbccddeeff",
                   const char* ivHex = "0011223344556677")
{
    return QStringList{"-rc5", "-K", QString::fromLatin1(keyHex), "-iv",
                       QString::fromLatin1(ivHex)} +
           more;
}

} // namespace

class TestRc5Provider : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(QFileInfo::exists(kModule), qPrintable(kModule)); }
    void knownAnswers();
    void roundTripLengths();
};

void TestRc5Provider::knownAnswers()
{
    // RFC 2040 section 9: 16-byte key, 12 rounds, one block, no padding.
    QCOMPARE(runEnc(rawKey({"-nopad"}, "01020304050607081020304050607080", "0102030405060708"),
                    QByteArray::fromHex("1020304050607080"))
                 .value_or("-")
                 .toHex(),
             "294ddb46b3278d60");
    // As an OpenSSL built with RC5 writes it, password-based with a fixed salt.
    const QStringList salted{"-pass", "pass:velko", "-S", "0102030405060708", "-md", "sha256"};
    const QByteArray rtf = "{\\rtf1 hello}";
    const QByteArray enciphered = QByteArray::fromHex("fdab795bfd72f8f2e99f6652d48b38f0");
    QCOMPARE(runEnc(QStringList{"-rc5"} + salted, rtf).value_or("-"), enciphered);
    QCOMPARE(runEnc(QStringList{"-rc5-cbc"} + salted, rtf).value_or("-"), enciphered);
    QCOMPARE(runEnc(QStringList{"-rc5", "-d"} + salted, enciphered).value_or("-"), rtf);

    // Refused: a partial block without padding, and garbage padding.
    QVERIFY(!runEnc(rawKey({"-nopad"}), "twelve bytes"));
    QVERIFY(!runEnc(rawKey({"-d"}), QByteArray(16, '\0')));
}

// Padding, the held-back last block and buffering across the tool's 4 KiB
// reads: every length comes back whole, and padded output is always one
// block longer than the whole blocks of the input.
void TestRc5Provider::roundTripLengths()
{
    for (int length : {0, 7, 8, 9, 4095, 4096, 4097, 1 << 20}) {
        QByteArray plain(length, Qt::Uninitialized);
        for (int i = 0; i < length; ++i)
            plain[i] = char((i * 131 + 7) & 0xff);
        const std::optional<QByteArray> enciphered = runEnc(rawKey({}), plain);
        QVERIFY(enciphered);
        QCOMPARE(enciphered->size(), (length / 8 + 1) * 8);
        QCOMPARE(runEnc(rawKey({"-d"}), *enciphered).value_or("-"), plain);
    }
}

QTEST_GUILESS_MAIN(TestRc5Provider)
#include "tst_rc5provider.moc"
