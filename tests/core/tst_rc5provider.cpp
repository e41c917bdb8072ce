// The RC5 provider module, driven through the real /usr/bin/openssl.
#include "testfiles.h"

#include <QtTest>

using testsupport::stockEnc;

namespace {

QStringList rawKey(const QStringList& more, const char* key = "00112233445566778899aabbccddeeff",
                   const char* iv = "0011223344556677")
{
    return QStringList{"-rc5", "-K", key, "-iv", iv} + more;
}

} // namespace

class TestRc5Provider : public QObject
{
    Q_OBJECT

private slots:
    // RFC 2040's vector, what an OpenSSL built with RC5 writes (password-based,
    // fixed salt, under both names), and refused partial blocks and padding.
    void knownAnswers()
    {
        QVERIFY2(QFileInfo::exists(testsupport::kRc5Module), qPrintable(testsupport::kRc5Module));
        QCOMPARE(
            stockEnc(rawKey({"-nopad"}, "01020304050607081020304050607080", "0102030405060708"),
                     QByteArray::fromHex("1020304050607080"))
                .value_or("-")
                .toHex(),
            "294ddb46b3278d60");
        const QStringList salted{"-pass", "pass:velko", "-S", "0102030405060708", "-md", "sha256"};
        const QByteArray rtf = "{\\rtf1 hello}";
        const QByteArray enciphered = QByteArray::fromHex("fdab795bfd72f8f2e99f6652d48b38f0");
        QCOMPARE(stockEnc(QStringList{"-rc5"} + salted, rtf).value_or("-"), enciphered);
        QCOMPARE(stockEnc(QStringList{"-rc5-cbc"} + salted, rtf).value_or("-"), enciphered);
        QCOMPARE(stockEnc(QStringList{"-rc5", "-d"} + salted, enciphered).value_or("-"), rtf);
        QVERIFY(!stockEnc(rawKey({"-nopad"}), "twelve bytes"));
        QVERIFY(!stockEnc(rawKey({"-d"}), QByteArray(16, '\0')));
    }

    // Padding, the held-back last block and buffering across the tool's 4 KiB
    // reads: every length comes back whole, one block longer when padded.
    void roundTripLengths()
    {
        for (int length : {0, 7, 8, 9, 4095, 4096, 4097, 1 << 20}) {
            QByteArray plain(length, Qt::Uninitialized);
            for (int i = 0; i < length; ++i)
                plain[i] = char((i * 131 + 7) & 0xff);
            const std::optional<QByteArray> enciphered = stockEnc(rawKey({}), plain);
            QVERIFY(enciphered);
            QCOMPARE(enciphered->size(), (length / 8 + 1) * 8);
            QCOMPARE(stockEnc(rawKey({"-d"}), *enciphered).value_or("-"), plain);
        }
    }
};

QTEST_GUILESS_MAIN(TestRc5Provider)
#include "tst_rc5provider.moc"
