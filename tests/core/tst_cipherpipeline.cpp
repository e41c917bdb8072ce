// Lock and unlock through the real /usr/bin/openssl and real files.
#include "core/cipheroption.h"
#include "core/cipherpipeline.h"
#include "core/seal.h"
#include "testfiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace velko;
using testsupport::filesUnder;
using testsupport::readFile;

namespace {

const QString kTool = QStringLiteral("/usr/bin/openssl");
const QString kModule = QStringLiteral(VELKO_BIN_DIR "/ossl-modules/velkorc5.so");
const QByteArray kRtf = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 Hello \\{world\\}\\par}";
const char* const kLegacyNames[] = {"tmpPlain.txt", "tmpFile", "plntxt.txt"};

// Runs the stock tool as a user would, keyword on the command line, our
// module offered for RC5. Empty when the tool fails.
QByteArray stockTool(const QStringList& args, const QByteArray& input)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OPENSSL_CONF"), QStringLiteral("/dev/null"));
    process.setProcessEnvironment(environment);
    process.start(kTool, QStringList{"enc"} + args +
                             QStringList{"-provider", "legacy", "-provider", kModule, "-provider",
                                         "default"});
    process.waitForStarted();
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return process.exitCode() == 0 ? process.readAllStandardOutput() : QByteArray();
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

// Writes an executable shell script in front of the real tool.
void writeWrapper(const QString& path, const QByteArray& body)
{
    QVERIFY(testsupport::writeScript(path, QString::fromLocal8Bit("#!/bin/sh\n" + body + "exec ") +
                                               kTool + " \"$@\"\n"));
}

// The files the old pipeline left in the home folder, by name, each holding
// its own name.
QMap<QString, QByteArray> legacyFiles()
{
    QMap<QString, QByteArray> files;
    for (const char* name : kLegacyNames)
        files.insert(QString::fromLatin1(name), name);
    return files;
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

// The document's text as rewritten by `how`: laid out anew, cut, or with
// one bit changed in a region of the decoded file.
QByteArray altered(const QByteArray& text, const QString& how)
{
    const QHash<QString, int> flips{{"flipped salt", 10},
                                    {"flipped first block", 17},
                                    {"flipped middle", -2},
                                    {"flipped padding", -1}};
    QByteArray packed = text;
    packed.replace('\n', "");
    if (how == "crlf")
        return QByteArray(text).replace("\n", "\r\n");
    if (how == "76 columns")
        return inLines(packed, 76, "\n\n");
    if (how == "truncated")
        return text.left(text.size() / 2);
    if (flips.contains(how)) {
        QByteArray raw = QByteArray::fromBase64(packed);
        const int at = flips[how] == -1   ? int(raw.size()) - 1
                       : flips[how] == -2 ? int(raw.size()) / 2
                                          : flips[how];
        raw[at] = char(raw[at] ^ 1);
        return inLines(raw.toBase64(), 64, "\n");
    }
    return text;
}

} // namespace

class TestCipherPipeline : public QObject
{
    Q_OBJECT

private slots:
    // Each test: its own document folder, TMPDIR (for scratch folders) and HOME
    // holding files with the names the old pipeline used.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_tmp = std::make_unique<QTemporaryDir>();
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("TMPDIR", QFile::encodeName(m_tmp->path()));
        qputenv("HOME", QFile::encodeName(m_home->path()));
        const QMap<QString, QByteArray> legacy = legacyFiles();
        for (auto it = legacy.cbegin(); it != legacy.cend(); ++it)
            writeFile(m_home->filePath(it.key()), it.value());
    }

    void cleanup()
    {
        QVERIFY(filesUnder(m_tmp->path()).isEmpty()); // scratch data gone
        QCOMPARE(filesUnder(m_home->path()), legacyFiles());
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
    // on its command line: proof that ours took it from its pipe, not from
    // whatever else descriptor 3 was. Ours reads the stock tool's older digest.
    void roundTrip()
    {
        QFETCH(QString, cipher);
        QFETCH(QString, keyword);
        QFETCH(int, size);
        const QByteArray rtf = size ? bigRtf(size) : kRtf;
        const Result<QByteArray> text =
            m_pipeline.encipher(rtf, cipher, keyword.toUtf8(), path("d.srtf"));
        QVERIFY(text);
        const Result<QByteArray> back =
            m_pipeline.decipher(path("d.srtf"), cipher, keyword.toUtf8());
        QVERIFY(back);
        QVERIFY(back.value() == rtf);

        if (size)
            return;
        // The stock tool reads ours: the RTF, sealed.
        const QByteArray stock = stockTool(QStringList{"-d", "-a"} + stockOptions(cipher) +
                                               QStringList{"-pass", "pass:" + keyword},
                                           text.value());
        QCOMPARE(withoutSeal(stock), rtf);
        // Ours reads the stock tool's unsealed documents, older digest included
        // (never used with PBKDF2); AES-256 needs the full iteration count.
        const bool pbkdf2 = keyDerivationOf(cipher).iterations > 0;
        writeFile(path("s.srtf"),
                  stockTool(QStringList{"-a"} + stockOptions(cipher, pbkdf2 ? "sha256" : "md5") +
                                QStringList{"-pass", "pass:" + keyword},
                            rtf));
        const Result<CipherPipeline::Unlocked> opened =
            m_pipeline.decipherEitherDigest(path("s.srtf"), cipher, keyword.toUtf8());
        QVERIFY(opened);
        QCOMPARE(opened.value().rtf, rtf);
        QCOMPARE(opened.value().digest, pbkdf2 ? Digest::Sha256 : Digest::Md5);
        if (pbkdf2)
            QVERIFY(withoutSeal(stockTool({"-d", "-a", cipher, "-md", "sha256", "-pbkdf2", "-iter",
                                           "100000", "-pass", "pass:" + keyword},
                                          text.value())) != rtf);
    }

    void alteredDocuments_data()
    {
        QTest::addColumn<QString>("cipher");
        QTest::addColumn<QString>("alteration");
        for (const QString& cipher : allCipherOptions()) {
            for (const char* how :
                 {"wrong keyword", "other cipher", "truncated", "flipped salt",
                  "flipped first block", "flipped middle", "flipped padding", "crlf", "76 columns"})
                QTest::addRow("%s %s", qPrintable(cipher), how)
                    << cipher << QString::fromLatin1(how);
        }
    }

    // Other Base64 layouts must still open. A changed byte anywhere is refused:
    // where it leaves the seal readable, as a changed document; else (salt,
    // padding) as a wrong keyword or damage.
    void alteredDocuments()
    {
        QFETCH(QString, cipher);
        QFETCH(QString, alteration);
        const QString unlockCipher = alteration != "other cipher" ? cipher
                                     : cipher == kCipherRc4       ? kCipherDes3
                                                                  : kCipherRc4;
        const Result<QByteArray> text = m_pipeline.encipher(kRtf, cipher, "k", path("d.srtf"));
        QVERIFY(text);
        writeFile(path("d.srtf"), altered(text.value(), alteration));
        const Result<CipherPipeline::Unlocked> opened = m_pipeline.decipherEitherDigest(
            path("d.srtf"), unlockCipher, alteration == "wrong keyword" ? "wrong" : "k");
        if (alteration == "crlf" || alteration == "76 columns")
            QCOMPARE(opened ? opened.value().rtf : QByteArray(), kRtf);
        else if (alteration == "flipped first block" || alteration == "flipped middle")
            QCOMPARE(codeOf(opened), int(ErrorCode::DocumentChanged));
        else if (alteration == "truncated" || alteration == "flipped padding")
            QVERIFY(codeOf(opened) == int(ErrorCode::DocumentChanged) ||
                    codeOf(opened) == int(ErrorCode::WrongKeyword));
        else
            QCOMPARE(codeOf(opened), int(ErrorCode::WrongKeyword));
    }

    void keyMaterialIsTheTools_data()
    {
        QTest::addColumn<QString>("cipher");
        QTest::addColumn<QString>("digest");
        for (const QString& cipher : allCipherOptions())
            QTest::addRow("%s", qPrintable(cipher)) << cipher << "sha256";
        QTest::newRow("-des3 md5") << kCipherDes3 << "md5";
    }

    // The seal's key comes from the key and IV the tool derives itself.
    void keyMaterialIsTheTools()
    {
        QFETCH(QString, cipher);
        QFETCH(QString, digest);
        const QByteArray salt = QByteArray::fromHex("0102030405060708");
        const QString printed = QString::fromLatin1(
            stockTool(stockOptions(cipher, digest) +
                          QStringList{"-pass", "pass:Schlüssel", "-S", "0102030405060708", "-P"},
                      {}));
        QString expected;
        for (const QString& line : printed.split('\n')) {
            if (line.startsWith("key=") || line.startsWith("iv "))
                expected += line.section('=', 1).trimmed();
        }
        const QByteArray material =
            seal::toolKeyMaterial(cipher, digest == "md5" ? Digest::Md5 : Digest::Sha256,
                                  QStringLiteral("Schlüssel").toUtf8(), salt);
        QCOMPARE(QString::fromLatin1(material.toHex().toUpper()), expected);
    }

    // A wrapper in front of the tool records every run's arguments, environment
    // and what descriptor 3 is.
    void keywordNeverInArgumentsOrEnvironment()
    {
        writeWrapper(path("openssl-wrapper"), "log='" + QFile::encodeName(path("run")) +
                                                  "'-$$\necho \"ARGS $*\" >> \"$log\"\n"
                                                  "echo \"FD3 $(readlink /proc/$$/fd/3)\" >> "
                                                  "\"$log\"\nenv >> \"$log\"\n");
        qputenv("OPENSSL_MODULES", "/nowhere");
        const CipherPipeline pipeline(path("openssl-wrapper"), kModule);
        for (const QString& cipher : allCipherOptions()) {
            QVERIFY(pipeline.encipher(kRtf, cipher, "Sekrit-Keyword-4711", path("d.srtf")));
            QVERIFY(pipeline.decipher(path("d.srtf"), cipher, "Sekrit-Keyword-4711"));
        }
        qunsetenv("OPENSSL_MODULES");

        int cipherStages = 0;
        for (const QString& name : QDir(m_dir->path()).entryList({QStringLiteral("run-*")})) {
            const QByteArray run = readFile(path(name));
            QVERIFY(!run.contains("Sekrit"));
            QVERIFY(!run.contains("OPENSSL_MODULES"));
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
        writeFile(path("d.srtf"), "precious");
        const Result<QByteArray> failed =
            CipherPipeline(path("failing-openssl"), kModule)
                .encipher(bigRtf(1 << 20), kCipherBlowfish, "k", path("d.srtf"));
        QCOMPARE(codeOf(failed), int(ErrorCode::ToolFailed));
        QVERIFY(failed.error().detail.contains("simulated failure"));

        const CipherPipeline missingTool(path("no-such-openssl"), kModule);
        const CipherPipeline noModule(kTool, path("no-such-module.so"));
        const QString target = path("d.srtf");
        QCOMPARE(codeOf(m_pipeline.encipher(kRtf, kCipherBlowfish, "k", path("missing/d.srtf"))),
                 int(ErrorCode::FileWrite));
        QCOMPARE(codeOf(missingTool.encipher(kRtf, kCipherDes3, "k", target)),
                 int(ErrorCode::ToolMissing));
        QCOMPARE(codeOf(missingTool.checkCipherAvailable(kCipherDes3)),
                 int(ErrorCode::ToolMissing));
        QCOMPARE(codeOf(noModule.encipher(kRtf, kCipherRc5, "k", target)),
                 int(ErrorCode::CipherUnavailable));
        QCOMPARE(codeOf(m_pipeline.encipher(kRtf, kCipherDes3, QByteArrayView(), target)),
                 int(ErrorCode::KeywordRefused));
        QCOMPARE(codeOf(m_pipeline.encipher(kRtf, kCipherDes3, "first\nsecond", target)),
                 int(ErrorCode::KeywordRefused));
        QCOMPARE(codeOf(m_pipeline.encipher(kRtf, kCipherDes3, QString(512, QChar(0xe9)).toUtf8(),
                                            target)),
                 int(ErrorCode::KeywordRefused)); // 1024 bytes
        QCOMPARE(codeOf(m_pipeline.encipher("plain text", kCipherDes3, "k", target)),
                 int(ErrorCode::NotRtf));
        QCOMPARE(filesUnder(m_dir->path()).keys(), (QStringList{"d.srtf", "failing-openssl"}));
        QCOMPARE(readFile(target), QByteArray("precious"));

        // Lock refuses an empty keyword, but documents others locked with one
        // still open.
        writeFile(path("empty.srtf"),
                  stockTool({"-a", "-des3", "-md", "sha256", "-pass", "pass:"}, kRtf));
        const Result<QByteArray> opened = m_pipeline.decipher(path("empty.srtf"), kCipherDes3, "");
        QVERIFY(opened);
        QCOMPARE(opened.value(), kRtf);

        // Keyword bytes that are no UTF-8 reach the tool as they are.
        QVERIFY(m_pipeline.encipher(kRtf, kCipherDes3, "caf\xe9", target));
        writeFile(path("latin1"), "caf\xe9\n");
        QCOMPARE(withoutSeal(stockTool(
                     {"-d", "-a", "-des3", "-md", "sha256", "-pass", "file:" + path("latin1")},
                     readFile(target))),
                 kRtf);
        QCOMPARE(codeOf(m_pipeline.decipher(target, kCipherDes3, "caf\xff")),
                 int(ErrorCode::WrongKeyword));
        QFile::remove(path("latin1"));

        // A document that starts with a byte order mark is sealed like any other.
        const QByteArray marked = "\xEF\xBB\xBF" + kRtf;
        const Result<QByteArray> text = m_pipeline.encipher(marked, kCipherDes3, "k", target);
        QVERIFY(text);
        QCOMPARE(withoutSeal(stockTool({"-d", "-a", "-des3", "-md", "sha256", "-pass", "pass:k"},
                                       text.value())),
                 marked);
    }

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<QTemporaryDir> m_home;
    CipherPipeline m_pipeline{kTool, kModule};
};

QTEST_GUILESS_MAIN(TestCipherPipeline)
#include "tst_cipherpipeline.moc"
