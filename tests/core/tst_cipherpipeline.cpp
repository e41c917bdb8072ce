// Lock and unlock through the real /usr/bin/openssl and real files.
#include "core/cipheroption.h"
#include "core/cipherpipeline.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace velko;

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

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(data), data.size());
}

// Writes an executable shell script in front of the real tool.
void writeWrapper(const QString& path, const QByteArray& body)
{
    writeFile(path, "#!/bin/sh\n" + body + "exec " + QFile::encodeName(kTool) + " \"$@\"\n");
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner));
}

QStringList filesUnder(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
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

// The document's text as rewritten by `how`. A stream cipher has no
// integrity: a bit changed in the middle changes one letter, so "flipped"
// changes the last enciphered byte, which only structure can catch.
QByteArray altered(const QByteArray& text, const QString& how)
{
    QByteArray packed = text;
    packed.replace('\n', "");
    if (how == "crlf")
        return QByteArray(text).replace("\n", "\r\n");
    if (how == "76 columns")
        return inLines(packed, 76, "\n\n");
    if (how == "truncated")
        return text.left(text.size() / 2);
    if (how == "flipped") {
        QByteArray raw = QByteArray::fromBase64(packed);
        raw[raw.size() - 1] = char(raw.back() ^ 1);
        return inLines(raw.toBase64(), 64, "\n");
    }
    return text;
}

} // namespace

class TestCipherPipeline : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void roundTrip_data();
    void roundTrip();
    void alteredDocuments_data();
    void alteredDocuments();
    void keywordNeverInArgumentsOrEnvironment();
    void failuresKeepTarget();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<QTemporaryDir> m_home;
    CipherPipeline m_pipeline{kTool, kModule};
};

// Each test: its own document folder, TMPDIR (for scratch folders) and HOME
// holding files with the names the old pipeline used.
void TestCipherPipeline::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_tmp = std::make_unique<QTemporaryDir>();
    m_home = std::make_unique<QTemporaryDir>();
    qputenv("TMPDIR", QFile::encodeName(m_tmp->path()));
    qputenv("HOME", QFile::encodeName(m_home->path()));
    for (const char* name : kLegacyNames)
        writeFile(m_home->filePath(QString::fromLatin1(name)), name);
}

void TestCipherPipeline::cleanup()
{
    QCOMPARE(filesUnder(m_tmp->path()), QStringList()); // scratch data gone
    QCOMPARE(filesUnder(m_home->path()), (QStringList{"plntxt.txt", "tmpFile", "tmpPlain.txt"}));
    for (const char* name : kLegacyNames)
        QCOMPARE(readFile(m_home->filePath(QString::fromLatin1(name))), QByteArray(name));
    qunsetenv("TMPDIR");
}

void TestCipherPipeline::roundTrip_data()
{
    QTest::addColumn<QString>("cipher");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<int>("size"); // 0: the short document
    const QList<QPair<const char*, QString>> keywords{
        {"quotes", QStringLiteral("it's \"quoted\" \\ back")},
        {"non-ascii", QStringLiteral("Schlüssel ключ 鍵 🔑")},
    };
    for (const QString& cipher : allCipherOptions()) {
        for (const auto& [name, keyword] : keywords)
            QTest::addRow("%s %s", qPrintable(cipher), name) << cipher << keyword << 0;
        QTest::addRow("%s 10 MiB", qPrintable(cipher)) << cipher << "big" << 10 * 1024 * 1024;
    }
}

// Ours reads back what it wrote, and so does the stock tool given the keyword
// on its command line: proof that ours took it from its pipe, not from
// whatever else descriptor 3 was. Ours reads the stock tool's older digest.
void TestCipherPipeline::roundTrip()
{
    QFETCH(QString, cipher);
    QFETCH(QString, keyword);
    QFETCH(int, size);
    const QByteArray rtf = size ? bigRtf(size) : kRtf;
    const Result<QByteArray> text = m_pipeline.encipher(rtf, cipher, keyword, path("d.srtf"));
    QVERIFY(text);
    const Result<QByteArray> back = m_pipeline.decipher(path("d.srtf"), cipher, keyword);
    QVERIFY(back);
    QVERIFY(back.value() == rtf);

    if (size)
        return;
    QCOMPARE(
        stockTool({"-d", "-a", cipher, "-md", "sha256", "-pass", "pass:" + keyword}, text.value()),
        rtf);
    writeFile(path("s.srtf"),
              stockTool({"-a", cipher, "-md", "md5", "-pass", "pass:" + keyword}, rtf));
    const Result<CipherPipeline::Unlocked> opened =
        m_pipeline.decipherEitherDigest(path("s.srtf"), cipher, keyword);
    QVERIFY(opened);
    QCOMPARE(opened.value().rtf, rtf);
    QCOMPARE(opened.value().digest, Digest::Md5);
}

void TestCipherPipeline::alteredDocuments_data()
{
    QTest::addColumn<QString>("cipher");
    QTest::addColumn<QString>("alteration");
    for (const QString& cipher : allCipherOptions()) {
        for (const char* how :
             {"wrong keyword", "other cipher", "truncated", "flipped", "crlf", "76 columns"})
            QTest::addRow("%s %s", qPrintable(cipher), how) << cipher << QString::fromLatin1(how);
    }
}

// Other Base64 layouts must still open; damage must read as a wrong keyword.
void TestCipherPipeline::alteredDocuments()
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
    else
        QCOMPARE(codeOf(opened), int(ErrorCode::WrongKeyword));
}

// A wrapper in front of the tool records every run's arguments, environment
// and what descriptor 3 is.
void TestCipherPipeline::keywordNeverInArgumentsOrEnvironment()
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
    QCOMPARE(cipherStages, 8);
}

// A cipher stage that fails part-way, a missing folder, tool or module,
// refused input: each is told, and the existing document is kept as it was
// with no temporary file left beside it.
void TestCipherPipeline::failuresKeepTarget()
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
    QCOMPARE(codeOf(missingTool.checkCipherAvailable(kCipherDes3)), int(ErrorCode::ToolMissing));
    QCOMPARE(codeOf(noModule.encipher(kRtf, kCipherRc5, "k", target)),
             int(ErrorCode::CipherUnavailable));
    QCOMPARE(codeOf(m_pipeline.encipher(kRtf, kCipherDes3, QString(), target)),
             int(ErrorCode::KeywordRefused));
    QCOMPARE(codeOf(m_pipeline.encipher(kRtf, kCipherDes3, "first\nsecond", target)),
             int(ErrorCode::KeywordRefused));
    QCOMPARE(codeOf(m_pipeline.encipher(kRtf, kCipherDes3, QString(512, QChar(0xe9)), target)),
             int(ErrorCode::KeywordRefused)); // 1024 bytes
    QCOMPARE(codeOf(m_pipeline.encipher("plain text", kCipherDes3, "k", target)),
             int(ErrorCode::NotRtf));
    QCOMPARE(filesUnder(m_dir->path()), (QStringList{"d.srtf", "failing-openssl"}));
    QCOMPARE(readFile(target), QByteArray("precious"));

    // Lock refuses an empty keyword, but documents others locked with one
    // still open.
    writeFile(path("empty.srtf"),
              stockTool({"-a", "-des3", "-md", "sha256", "-pass", "pass:"}, kRtf));
    const Result<QByteArray> opened = m_pipeline.decipher(path("empty.srtf"), kCipherDes3, "");
    QVERIFY(opened);
    QCOMPARE(opened.value(), kRtf);
}

QTEST_GUILESS_MAIN(TestCipherPipeline)
#include "tst_cipherpipeline.moc"
