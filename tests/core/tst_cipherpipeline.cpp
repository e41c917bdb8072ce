// Lock and unlock through the real /usr/bin/openssl and real files, the
// pure parts (the Base64 layout, what the tool is told), and our RC5 module.
#include "core/cipheroption.h"
#include "core/cipherpipeline.h"
#include "core/opensslcommand.h"
#include "core/seal.h"
#include "core/securetext.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace velko;
using testsupport::filesUnder;
using testsupport::readFile;

namespace {

const QString kTool = QStringLiteral("/usr/bin/openssl");
const QByteArray kRtf = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 Hello \\{world\\}\\par}";
const QStringList kLegacyNames{"tmpPlain.txt", "tmpFile", "plntxt.txt"};

// The stock tool run with the keyword on its command line, as a user would.
QByteArray stockTool(const QStringList& args, const QByteArray& input)
{
    return testsupport::stockEnc(args, input).value_or(QByteArray());
}

// The stock tool's options for `cipher` and `digest`, as the README gives them.
QStringList stockOptions(const QString& cipher, const QString& digest = QStringLiteral("sha256"))
{
    QStringList args{cipher, "-md", digest};
    if (const int iterations = keyDerivationOf(cipher).iterations)
        args << "-pbkdf2"
             << "-iter" << QString::number(iterations);
    return args;
}

// The RTF inside a sealed document, when its seal is well formed.
QByteArray withoutSeal(const QByteArray& sealed)
{
    const seal::Located found = seal::locate(sealed);
    return found.kind == seal::Check::Intact
               ? seal::withoutHeadMark(QByteArray(sealed).remove(found.start, found.length), found)
               : QByteArray("<no seal>");
}

void writeFile(const QString& path, const QByteArray& data)
{
    QVERIFY(testsupport::writeFile(path, data));
}

// An executable shell script in front of the real tool.
void writeWrapper(const QString& path, const QByteArray& body)
{
    QVERIFY(testsupport::writeScript(path, QString::fromLocal8Bit("#!/bin/sh\n" + body + "exec ") +
                                               kTool + " \"$@\"\n"));
}

QStringList rawKey(const QStringList& more, const char* key = "00112233445566778899aabbccddeeff",
                   const char* iv = "0011223344556677")
{
    return QStringList{"-rc5", "-K", key, "-iv", iv} + more;
}

QByteArray bigRtf(int bytes)
{
    const QByteArray line = "The quick brown fox jumps over the lazy dog 0123456789.\\par\n";
    return "{\\rtf1\\ansi " + line.repeated(bytes / line.size()) + '}';
}

// The failure's code, -1 on success.
template <typename T> int codeOf(const Result<T>& result)
{
    return result ? -1 : int(result.error().code);
}

QByteArray inLines(const QByteArray& packed, int width, const QByteArray& end)
{
    QByteArray relaid;
    for (qsizetype at = 0; at < packed.size(); at += width)
        relaid += packed.mid(at, width) + end;
    return relaid;
}

// The document's text laid out anew, cut, or with one bit changed at byte
// `flip` of the decoded file (-1: the last, -2: the middle).
QByteArray altered(const QByteArray& text, const QString& how, int flip)
{
    QByteArray raw = QByteArray::fromBase64(QByteArray(text).replace('\n', ""));
    if (how == "crlf")
        return QByteArray(text).replace("\n", "\r\n");
    if (how == "76 columns")
        return inLines(raw.toBase64(), 76, "\n\n");
    if (how == "truncated")
        return text.left(text.size() / 2);
    if (!how.startsWith("flipped"))
        return text;
    const qsizetype at = flip == -1 ? raw.size() - 1 : flip == -2 ? raw.size() / 2 : flip;
    raw[at] = char(raw[at] ^ 1);
    return inLines(raw.toBase64(), 64, "\n");
}

} // namespace

class TestCipherPipeline : public QObject
{
    Q_OBJECT

private slots:
    // Each test: its own document folder, TMPDIR (for scratch folders) and HOME
    // holding files with the names the old pipeline used, which stay as they are.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_tmp = std::make_unique<QTemporaryDir>();
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("TMPDIR", QFile::encodeName(m_tmp->path()));
        qputenv("HOME", QFile::encodeName(m_home->path()));
        for (const QString& name : kLegacyNames)
            writeFile(m_home->filePath(name), name.toLatin1());
    }

    void cleanup()
    {
        QVERIFY(filesUnder(m_tmp->path()).isEmpty()); // scratch data gone
        QCOMPARE(filesUnder(m_home->path()).size(), kLegacyNames.size());
        for (const QString& name : kLegacyNames)
            QCOMPARE(readFile(m_home->filePath(name)), name.toLatin1());
        qunsetenv("TMPDIR");
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("cipher");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<int>("size"); // 0: the short document
        // Quotes, a backslash and letters beyond ASCII reach the tool as typed.
        const QString keyword = QStringLiteral("it's \"quoted\" \\ Schlüssel ключ 鍵 🔑");
        for (const QString& cipher : allCipherOptions()) {
            QTest::addRow("%s", qPrintable(cipher)) << cipher << keyword << 0;
            QTest::addRow("%s 10 MiB", qPrintable(cipher)) << cipher << "big" << 10 * 1024 * 1024;
        }
    }

    // Ours reads back what it wrote, and so does the stock tool given the keyword
    // on its command line (so ours took it from its pipe); ours reads the stock
    // tool's older digest, and derives the seal's key as the tool does its own.
    void roundTrip()
    {
        QFETCH(QString, cipher);
        QFETCH(QString, keyword);
        QFETCH(int, size);
        const QByteArray rtf = size ? bigRtf(size) : kRtf;
        const QByteArray key = keyword.toUtf8();
        const Result<QByteArray> text = m_pipeline.encipher(rtf, cipher, key, path("d.srtf"));
        QVERIFY(text);
        const Result<QByteArray> back = m_pipeline.decipher(path("d.srtf"), cipher, key);
        QVERIFY(back && back.value() == rtf);
        if (size)
            return;
        const QStringList pass{"-pass", "pass:" + keyword};
        QCOMPARE(withoutSeal(stockTool(QStringList{"-d", "-a"} + stockOptions(cipher) + pass,
                                       text.value())),
                 rtf);
        // The stock tool's unsealed documents open, older digest included
        // (never used with PBKDF2); AES-256 needs the full iteration count.
        const bool pbkdf2 = keyDerivationOf(cipher).iterations > 0;
        writeFile(
            path("s.srtf"),
            stockTool(QStringList{"-a"} + stockOptions(cipher, pbkdf2 ? "sha256" : "md5") + pass,
                      rtf));
        const Result<CipherPipeline::Unlocked> opened =
            m_pipeline.decipherEitherDigest(path("s.srtf"), cipher, key);
        QVERIFY(opened);
        QCOMPARE(opened.value().rtf, rtf);
        QCOMPARE(opened.value().digest, pbkdf2 ? Digest::Sha256 : Digest::Md5);
        if (pbkdf2)
            QVERIFY(withoutSeal(stockTool(QStringList{"-d", "-a", cipher, "-md", "sha256",
                                                      "-pbkdf2", "-iter", "100000"} +
                                              pass,
                                          text.value())) != rtf);

        // The seal's key comes from the key and IV the tool derives itself.
        for (const QString& digest :
             pbkdf2 ? QStringList{"sha256"} : QStringList{"sha256", "md5"}) {
            const QStringList salted = pass + QStringList{"-S", "0102030405060708", "-P"};
            QString expected;
            for (const QString& line :
                 QString(stockTool(stockOptions(cipher, digest) + salted, {})).split('\n')) {
                if (line.startsWith("key=") || line.startsWith("iv "))
                    expected += line.section('=', 1).trimmed();
            }
            const QByteArray material =
                seal::toolKeyMaterial(cipher, digest == "md5" ? Digest::Md5 : Digest::Sha256, key,
                                      QByteArray::fromHex("0102030405060708"));
            QCOMPARE(QString(material.toHex().toUpper()), expected);
        }
    }

    void alteredDocuments_data()
    {
        QTest::addColumn<QString>("cipher");
        QTest::addColumn<QString>("alteration");
        QTest::addColumn<int>("flip");         // the decoded byte changed
        QTest::addColumn<QList<int>>("codes"); // what unlock may say; -1: it opens
        const int changed = int(ErrorCode::DocumentChanged);
        const int wrong = int(ErrorCode::WrongKeyword);
        const QList<std::tuple<const char*, int, QList<int>>> rows{
            {"wrong keyword", 0, {wrong}},
            {"other cipher", 0, {wrong}},
            {"truncated", 0, {changed, wrong}},
            {"flipped salt", 10, {wrong}},
            {"flipped first block", 17, {changed}},
            {"flipped middle", -2, {changed}},
            {"flipped padding", -1, {changed, wrong}},
            {"crlf", 0, {-1}},
            {"76 columns", 0, {-1}}};
        for (const QString& cipher : allCipherOptions()) {
            for (const auto& [how, flip, codes] : rows)
                QTest::addRow("%s %s", qPrintable(cipher), how) << cipher << how << flip << codes;
        }
    }

    // Other Base64 layouts must still open. A changed byte anywhere is refused:
    // where it leaves the seal readable, as a changed document; else (salt,
    // padding) as a wrong keyword or damage.
    void alteredDocuments()
    {
        QFETCH(QString, cipher);
        QFETCH(QString, alteration);
        QFETCH(int, flip);
        QFETCH(QList<int>, codes);
        const QString unlockCipher = alteration != "other cipher" ? cipher
                                     : cipher == kCipherRc4       ? kCipherDes3
                                                                  : kCipherRc4;
        const Result<QByteArray> text = m_pipeline.encipher(kRtf, cipher, "k", path("d.srtf"));
        QVERIFY(text);
        writeFile(path("d.srtf"), altered(text.value(), alteration, flip));
        const Result<CipherPipeline::Unlocked> opened = m_pipeline.decipherEitherDigest(
            path("d.srtf"), unlockCipher, alteration == "wrong keyword" ? "wrong" : "k");
        QVERIFY2(codes.contains(codeOf(opened)), qPrintable(QString::number(codeOf(opened))));
        QVERIFY(!opened || opened.value().rtf == kRtf);
    }

    // A wrapper in front of the tool records every run's arguments, environment
    // and what descriptor 3 is: the keyword is in none of them.
    void keywordNeverInArgumentsOrEnvironment()
    {
        writeWrapper(path("openssl-wrapper"), "log='" + QFile::encodeName(path("run")) +
                                                  "'-$$\necho \"ARGS $*\" >> \"$log\"\n"
                                                  "echo \"FD3 $(readlink /proc/$$/fd/3)\" >> "
                                                  "\"$log\"\nenv >> \"$log\"\n");
        qputenv("OPENSSL_MODULES", "/nowhere");
        const CipherPipeline pipeline(path("openssl-wrapper"), testsupport::kRc5Module);
        for (const QString& cipher : allCipherOptions()) {
            QVERIFY(pipeline.encipher(kRtf, cipher, "Sekrit-Keyword-4711", path("d.srtf")));
            QVERIFY(pipeline.decipher(path("d.srtf"), cipher, "Sekrit-Keyword-4711"));
        }
        qunsetenv("OPENSSL_MODULES");

        int cipherStages = 0;
        for (const QString& name : QDir(m_dir->path()).entryList({QStringLiteral("run-*")})) {
            const QByteArray run = readFile(path(name));
            QVERIFY(!run.contains("Sekrit") && !run.contains("OPENSSL_MODULES"));
            QVERIFY(run.contains("\nOPENSSL_CONF=/dev/null\n"));
            if (run.startsWith("ARGS enc") && run.contains(" -pass fd:3\n")) {
                ++cipherStages;
                QVERIFY2(run.contains("\nFD3 pipe:["), run.constData());
            }
        }
        QCOMPARE(cipherStages, 2 * int(allCipherOptions().size()));
    }

    // A cipher stage that fails part-way, a missing folder, tool or module,
    // refused input: each is told, and the existing document is kept as it was
    // with no temporary file left beside it.
    void failuresKeepTarget()
    {
        writeWrapper(path("failing-openssl"), "case \"$*\" in *fd:3*) head -c 100 >/dev/null; echo "
                                              "'simulated failure' >&2; exit 1;; esac\n");
        const QString target = path("d.srtf");
        writeFile(target, "precious");
        const Result<QByteArray> failed =
            CipherPipeline(path("failing-openssl"), testsupport::kRc5Module)
                .encipher(bigRtf(1 << 20), kCipherBlowfish, "k", target);
        QCOMPARE(codeOf(failed), int(ErrorCode::ToolFailed));
        QVERIFY(failed.error().detail.contains("simulated failure"));

        const CipherPipeline missingTool(path("no-such-openssl"), testsupport::kRc5Module);
        const CipherPipeline noModule(kTool, path("no-such-module.so"));
        const auto lock = [&](const CipherPipeline& pipeline, const QString& cipher,
                              QByteArrayView keyword, const QByteArray& rtf = kRtf) {
            return ErrorCode(codeOf(pipeline.encipher(rtf, cipher, keyword, target)));
        };
        QCOMPARE(codeOf(m_pipeline.encipher(kRtf, kCipherBlowfish, "k", path("missing/d.srtf"))),
                 int(ErrorCode::FileWrite));
        QCOMPARE(lock(missingTool, kCipherDes3, "k"), ErrorCode::ToolMissing);
        QCOMPARE(codeOf(missingTool.checkCipherAvailable(kCipherDes3)),
                 int(ErrorCode::ToolMissing));
        QCOMPARE(lock(noModule, kCipherRc5, "k"), ErrorCode::CipherUnavailable);
        QCOMPARE(lock(m_pipeline, kCipherDes3, QByteArrayView()), ErrorCode::KeywordRefused);
        QCOMPARE(lock(m_pipeline, kCipherDes3, "first\nsecond"), ErrorCode::KeywordRefused);
        const QByteArray longKeyword = QString(512, QChar(0xe9)).toUtf8(); // 1024 bytes
        QCOMPARE(lock(m_pipeline, kCipherDes3, longKeyword), ErrorCode::KeywordRefused);
        QCOMPARE(lock(m_pipeline, kCipherDes3, "k", "plain text"), ErrorCode::NotRtf);
        QCOMPARE(filesUnder(m_dir->path()).keys(), (QStringList{"d.srtf", "failing-openssl"}));
        QCOMPARE(readFile(target), QByteArray("precious"));

        // Lock refuses an empty keyword, but documents others locked with one
        // still open.
        writeFile(path("empty.srtf"),
                  stockTool({"-a", "-des3", "-md", "sha256", "-pass", "pass:"}, kRtf));
        const Result<QByteArray> opened = m_pipeline.decipher(path("empty.srtf"), kCipherDes3, "");
        QVERIFY(opened && opened.value() == kRtf);

        // Keyword bytes that are no UTF-8 reach the tool as they are.
        QVERIFY(m_pipeline.encipher(kRtf, kCipherDes3, "caf\xe9", target));
        writeFile(path("latin1"), "caf\xe9\n");
        const QStringList des3{"-d", "-a", "-des3", "-md", "sha256", "-pass"};
        QCOMPARE(
            withoutSeal(stockTool(des3 + QStringList{"file:" + path("latin1")}, readFile(target))),
            kRtf);
        QCOMPARE(codeOf(m_pipeline.decipher(target, kCipherDes3, "caf\xff")),
                 int(ErrorCode::WrongKeyword));

        // A document that starts with a byte order mark is sealed like any other.
        const QByteArray marked = "\xEF\xBB\xBF" + kRtf;
        const Result<QByteArray> text = m_pipeline.encipher(marked, kCipherDes3, "k", target);
        QVERIFY(text);
        QCOMPARE(withoutSeal(stockTool(des3 + QStringList{"pass:k"}, text.value())), marked);
    }

    // The Base64 layout written to disk: 64 columns, blanks dropped, anything
    // else refused. Only OpenSSL 3 is told of providers (the round trips show
    // it), not 1.1, which has its ciphers built in, nor LibreSSL 3.
    void base64LayoutAndToolVersion()
    {
        QCOMPARE(normaliseBase64(QByteArray(74, 'A')).value(),
                 QByteArray(64, 'A') + '\n' + QByteArray(10, 'A') + '\n');
        QCOMPARE(normaliseBase64(" U2 Fs\tdGVk \n\n").value(), "U2FsdGVk\n");
        QCOMPARE(codeOf(normaliseBase64("U2Fs*dGVk")), int(ErrorCode::NotBase64));
        QVERIFY(!openssl::parseMajorVersion("LibreSSL 3.8.2\n"));
        QVERIFY(openssl::providerArguments(1, "/opt/velkorc5.so").isEmpty());
    }

    // Our RC5 module in the tool: RFC 2040's vector, what an OpenSSL built with
    // RC5 writes (password-based, fixed salt, under both names), and refused
    // partial blocks and padding.
    void rc5KnownAnswers()
    {
        QVERIFY2(QFileInfo::exists(testsupport::kRc5Module), qPrintable(testsupport::kRc5Module));
        QCOMPARE(testsupport::stockEnc(
                     rawKey({"-nopad"}, "01020304050607081020304050607080", "0102030405060708"),
                     QByteArray::fromHex("1020304050607080"))
                     .value_or("-")
                     .toHex(),
                 "294ddb46b3278d60");
        const QStringList salted{"-pass", "pass:velko", "-S", "0102030405060708", "-md", "sha256"};
        const QByteArray rtf = "{\\rtf1 hello}";
        const QByteArray enciphered = QByteArray::fromHex("fdab795bfd72f8f2e99f6652d48b38f0");
        QCOMPARE(testsupport::stockEnc(QStringList{"-rc5"} + salted, rtf).value_or("-"),
                 enciphered);
        QCOMPARE(testsupport::stockEnc(QStringList{"-rc5-cbc"} + salted, rtf).value_or("-"),
                 enciphered);
        QCOMPARE(
            testsupport::stockEnc(QStringList{"-rc5", "-d"} + salted, enciphered).value_or("-"),
            rtf);
        QVERIFY(!testsupport::stockEnc(rawKey({"-nopad"}), "twelve bytes"));
        QVERIFY(!testsupport::stockEnc(rawKey({"-d"}), QByteArray(16, '\0')));
    }

    // The RC5 module's padding, held-back last block and buffering across the
    // tool's 4 KiB reads: every length comes back whole, one block longer.
    void rc5RoundTripLengths()
    {
        for (int length : {0, 7, 8, 9, 4095, 4096, 4097, 1 << 20}) {
            QByteArray plain(length, Qt::Uninitialized);
            for (int i = 0; i < length; ++i)
                plain[i] = char((i * 131 + 7) & 0xff);
            const std::optional<QByteArray> enciphered = testsupport::stockEnc(rawKey({}), plain);
            QVERIFY(enciphered);
            QCOMPARE(enciphered->size(), (length / 8 + 1) * 8);
            QCOMPARE(testsupport::stockEnc(rawKey({"-d"}), *enciphered).value_or("-"), plain);
        }
    }

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<QTemporaryDir> m_home;
    CipherPipeline m_pipeline{kTool, testsupport::kRc5Module};
};

QTEST_GUILESS_MAIN(TestCipherPipeline)
#include "tst_cipherpipeline.moc"
