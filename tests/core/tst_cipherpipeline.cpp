// Lock and unlock through the real /usr/bin/openssl and real files.
#include "core/cipheroption.h"
#include "core/cipherpipeline.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace velko;

namespace {

const QString kTool = QStringLiteral("/usr/bin/openssl");
const QString kModule = QStringLiteral(VELKO_BIN_DIR "/ossl-modules/velkorc5.so");
const QByteArray kRtf =
    "{\\rtf1\\ansi{\\fonttbl\\f0\\fswiss Helvetica;}\\f0\\pard Hello \\{world\\}\\par}";
const char* const kLegacyNames[] = {"tmpPlain.txt", "tmpFile", "plntxt.txt"};

// Runs the stock tool the way a user would, with the keyword on the command
// line and our module offered for RC5.
QByteArray stockTool(const QStringList& args, const QByteArray& input, int* exitCode = nullptr)
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
    if (exitCode)
        *exitCode = process.exitCode();
    return process.readAllStandardOutput();
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
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names << it.next().mid(folder.size() + 1);
    names.sort();
    return names;
}

QByteArray bigRtf(int bytes)
{
    QByteArray rtf = "{\\rtf1\\ansi ";
    const QByteArray line = "The quick brown fox jumps over the lazy dog 0123456789.\\par\n";
    while (rtf.size() < bytes - 1)
        rtf += line;
    rtf.truncate(bytes - 1);
    return rtf + '}';
}

// The failure's detail for a test message (QVERIFY2 evaluates it always).
template <typename T> const char* detail(const Result<T>& result)
{
    static QByteArray text;
    text = result ? QByteArray() : result.error().detail.toLocal8Bit();
    return text.constData();
}

QByteArray inLines(const QByteArray& packed, int width, const QByteArray& end)
{
    QByteArray relaid;
    for (qsizetype at = 0; at < packed.size(); at += width)
        relaid += packed.mid(at, width) + end;
    return relaid;
}

// The document's text as rewritten by `how`: other Base64 layouts that
// must still open, or damage that must read as a wrong keyword. (A stream
// cipher has no integrity: a bit changed in the middle changes one letter,
// so "flipped" changes the last enciphered byte, which only structure can
// catch.)
QByteArray altered(const QByteArray& text, const QString& how)
{
    QByteArray packed = text;
    packed.replace('\n', "");
    if (how == "one long line")
        return packed;
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
    if (how == "header only")
        return "U2FsdGVkX1+qqqqqqqqqqg==\n";
    if (how == "garbage")
        return "This is not a secure document.\n";
    if (how == "empty")
        return {};
    return text;
}

} // namespace

class TestCipherPipeline : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void roundTrip_data();
    void roundTrip();
    void oursReadsStock_data();
    void oursReadsStock();
    void alteredDocuments_data();
    void alteredDocuments();
    void anyCipherSaysWhichOpened();
    void keywordNeverInArgumentsOrEnvironment();
    void refusedInputLeavesNoFile_data();
    void refusedInputLeavesNoFile();
    void failuresKeepTarget();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<QTemporaryDir> m_home;
    CipherPipeline m_pipeline{kTool, kModule};
};

void TestCipherPipeline::initTestCase()
{
    QVERIFY(QFileInfo(kTool).isExecutable());
    QVERIFY(QFileInfo::exists(kModule));
}

// Every test gets its own document folder, TMPDIR (where scratch folders
// go) and HOME holding files with the names the old pipeline used.
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
        {"empty", QString()},
        {"spaces", QStringLiteral("  two words  ")},
        {"quotes", QStringLiteral("it's \"quoted\" \\ back")},
        {"non-ascii", QStringLiteral("Schlüssel ключ 鍵 🔑")},
    };
    for (const QString& cipher : allCipherOptions()) {
        for (const auto& [name, keyword] : keywords)
            QTest::addRow("%s %s", qPrintable(cipher), name) << cipher << keyword << 0;
        QTest::addRow("%s 10 MiB", qPrintable(cipher)) << cipher << "big" << 10 * 1024 * 1024;
    }
}

// Ours reads back what it wrote, and so does the stock tool given the
// keyword on its command line: proof that ours took the keyword from its
// pipe, not from whatever else descriptor 3 might have been.
void TestCipherPipeline::roundTrip()
{
    QFETCH(QString, cipher);
    QFETCH(QString, keyword);
    QFETCH(int, size);
    const QByteArray rtf = size ? bigRtf(size) : kRtf;
    const Result<QByteArray> text = m_pipeline.encipher(rtf, cipher, keyword, path("d.srtf"));
    QVERIFY2(text, detail(text));
    QCOMPARE(readFile(path("d.srtf")), text.value());
    QVERIFY(text.value().startsWith("U2FsdGVkX1"));
    for (const QByteArray& line : text.value().chopped(1).split('\n'))
        QVERIFY(line.size() <= 64);
    const Result<QByteArray> back = m_pipeline.decipher(path("d.srtf"), cipher, keyword);
    QVERIFY2(back, detail(back));
    QVERIFY(back.value() == rtf);

    if (size || keyword.toUtf8().size() != keyword.size()) // ASCII keywords only
        return;
    int exitCode = -1;
    const QByteArray plain = stockTool(
        {"-d", "-a", cipher, "-md", "sha256", "-pass", "pass:" + keyword}, text.value(), &exitCode);
    QCOMPARE(exitCode, 0);
    QCOMPARE(plain, rtf);
}

void TestCipherPipeline::oursReadsStock_data()
{
    QTest::addColumn<QString>("cipher");
    QTest::addColumn<QString>("digest");
    for (const QString& cipher : allCipherOptions()) {
        QTest::addRow("%s sha256", qPrintable(cipher)) << cipher << QStringLiteral("sha256");
        QTest::addRow("%s md5", qPrintable(cipher)) << cipher << QStringLiteral("md5");
    }
}

void TestCipherPipeline::oursReadsStock()
{
    QFETCH(QString, cipher);
    QFETCH(QString, digest);
    writeFile(path("s.srtf"), stockTool({"-a", cipher, "-md", digest, "-pass", "pass:Clé"}, kRtf));
    const Result<CipherPipeline::Unlocked> opened =
        m_pipeline.decipherEitherDigest(path("s.srtf"), cipher, QStringLiteral("Clé"));
    QVERIFY2(opened, detail(opened));
    QCOMPARE(opened.value().rtf, kRtf);
    QCOMPARE(opened.value().digest, digest == "md5" ? Digest::Md5 : Digest::Sha256);
}

void TestCipherPipeline::alteredDocuments_data()
{
    QTest::addColumn<QString>("cipher");
    QTest::addColumn<QString>("unlockCipher");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("alteration");
    QTest::addColumn<bool>("opens");
    const QStringList ciphers = allCipherOptions();
    for (int i = 0; i < ciphers.size(); ++i) {
        const QString& cipher = ciphers[i];
        const QString other = ciphers[(i + 1) % ciphers.size()];
        QTest::addRow("%s wrong keyword", qPrintable(cipher))
            << cipher << cipher << "wrong" << QString() << false;
        QTest::addRow("%s empty keyword", qPrintable(cipher))
            << cipher << cipher << "" << QString() << false;
        QTest::addRow("%s opened as %s", qPrintable(cipher), qPrintable(other))
            << cipher << other << "k" << QString() << false;
        for (const char* damage : {"truncated", "flipped", "header only", "garbage", "empty"})
            QTest::addRow("%s %s", qPrintable(cipher), damage)
                << cipher << cipher << "k" << damage << false;
        for (const char* layout : {"one long line", "crlf", "76 columns"})
            QTest::addRow("%s %s", qPrintable(cipher), layout)
                << cipher << cipher << "k" << layout << true;
    }
}

void TestCipherPipeline::alteredDocuments()
{
    QFETCH(QString, cipher);
    QFETCH(QString, unlockCipher);
    QFETCH(QString, keyword);
    QFETCH(QString, alteration);
    QFETCH(bool, opens);
    const QByteArray rtf = bigRtf(4000);
    const Result<QByteArray> text = m_pipeline.encipher(rtf, cipher, "k", path("d.srtf"));
    QVERIFY(text);
    writeFile(path("d.srtf"), altered(text.value(), alteration));
    const Result<CipherPipeline::Unlocked> opened =
        m_pipeline.decipherEitherDigest(path("d.srtf"), unlockCipher, keyword);
    if (opens) {
        QVERIFY2(opened, detail(opened));
        QCOMPARE(opened.value().rtf, rtf);
    } else {
        QVERIFY(!opened);
        QCOMPARE(opened.error().code, ErrorCode::WrongKeyword);
    }
}

void TestCipherPipeline::anyCipherSaysWhichOpened()
{
    QVERIFY(m_pipeline.encipher(kRtf, kCipherRc4, "k", path("rc4.srtf")));
    Result<CipherPipeline::Unlocked> opened =
        m_pipeline.decipherAnyCipher(path("rc4.srtf"), kCipherBlowfish, "k");
    QVERIFY(opened);
    QCOMPARE(opened.value().cipherOption, kCipherRc4);
    QCOMPARE(opened.value().rtf, kRtf);

    writeFile(path("old.srtf"), stockTool({"-a", "-des3", "-md", "md5", "-pass", "pass:k"}, kRtf));
    opened = m_pipeline.decipherAnyCipher(path("old.srtf"), kCipherRc5, "k");
    QVERIFY(opened);
    QCOMPARE(opened.value().cipherOption, kCipherDes3);
    QCOMPARE(opened.value().digest, Digest::Md5);

    opened = m_pipeline.decipherAnyCipher(path("old.srtf"), kCipherRc5, "nope");
    QVERIFY(!opened);
    QCOMPARE(opened.error().code, ErrorCode::WrongKeyword);
}

// A wrapper in front of the tool records every run's arguments, environment
// and what descriptor 3 is.
void TestCipherPipeline::keywordNeverInArgumentsOrEnvironment()
{
    const QString logs = path("runs");
    QVERIFY(QDir().mkpath(logs));
    writeWrapper(path("openssl-wrapper"), "log='" + QFile::encodeName(logs) +
                                              "'/$$\necho \"ARGS $*\" >> \"$log\"\n"
                                              "echo \"FD3 $(readlink /proc/$$/fd/3)\" >> "
                                              "\"$log\"\nenv >> \"$log\"\n");
    qputenv("OPENSSL_MODULES", "/nowhere");
    const CipherPipeline pipeline(path("openssl-wrapper"), kModule);
    const QString keyword = QStringLiteral("Sekrit-Keyword-4711");
    for (const QString& cipher : allCipherOptions()) {
        QVERIFY(pipeline.encipher(kRtf, cipher, keyword, path("d.srtf")));
        QVERIFY(pipeline.decipher(path("d.srtf"), cipher, keyword));
    }
    qunsetenv("OPENSSL_MODULES");

    int cipherStages = 0;
    const QStringList runs = QDir(logs).entryList(QDir::Files);
    QVERIFY(runs.size() >= 16);
    for (const QString& name : runs) {
        const QByteArray run = readFile(QDir(logs).filePath(name));
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

void TestCipherPipeline::refusedInputLeavesNoFile_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<int>("code");
    QTest::newRow("line break") << kRtf << "first\nsecond" << int(ErrorCode::KeywordRefused);
    QTest::newRow("1024 bytes") << kRtf << QString(512, QChar(0xe9))
                                << int(ErrorCode::KeywordRefused);
    QTest::newRow("not rtf") << QByteArray("plain text") << "k" << int(ErrorCode::NotRtf);
    QTest::newRow("cut rtf") << kRtf.chopped(1) << "k" << int(ErrorCode::NotRtf);
}

void TestCipherPipeline::refusedInputLeavesNoFile()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, keyword);
    QFETCH(int, code);
    const Result<QByteArray> text = m_pipeline.encipher(rtf, kCipherDes3, keyword, path("d.srtf"));
    QVERIFY(!text);
    QCOMPARE(int(text.error().code), code);
    QVERIFY(!text.error().detail.isEmpty());
    QCOMPARE(filesUnder(m_dir->path()), QStringList());
}

// A cipher stage that fails part-way, a missing folder, a missing tool or
// module: each is told, and the existing document is kept as it was with
// no temporary file left beside it.
void TestCipherPipeline::failuresKeepTarget()
{
    writeWrapper(path("failing-openssl"), "case \"$*\" in *fd:3*) head -c 100 >/dev/null; echo "
                                          "'simulated failure' >&2; exit 1;; esac\n");
    writeFile(path("d.srtf"), "precious");
    Result<QByteArray> text = CipherPipeline(path("failing-openssl"), kModule)
                                  .encipher(bigRtf(1 << 20), kCipherBlowfish, "k", path("d.srtf"));
    QVERIFY(!text);
    QCOMPARE(text.error().code, ErrorCode::ToolFailed);
    QVERIFY(text.error().detail.contains("simulated failure"));
    QCOMPARE(filesUnder(m_dir->path()), (QStringList{"d.srtf", "failing-openssl"}));

    text = m_pipeline.encipher(kRtf, kCipherBlowfish, "k", path("missing/d.srtf"));
    QCOMPARE(text.error().code, ErrorCode::FileWrite);

    const CipherPipeline missingTool(path("no-such-openssl"), kModule);
    QCOMPARE(missingTool.encipher(kRtf, kCipherDes3, "k", path("d.srtf")).error().code,
             ErrorCode::ToolMissing);
    QCOMPARE(missingTool.decipher(path("d.srtf"), kCipherDes3, "k").error().code,
             ErrorCode::ToolMissing);
    QCOMPARE(missingTool.checkCipherAvailable(kCipherDes3).error().code, ErrorCode::ToolMissing);

    const CipherPipeline noModule(kTool, path("no-such-module.so"));
    QCOMPARE(noModule.encipher(kRtf, kCipherRc5, "k", path("d.srtf")).error().code,
             ErrorCode::CipherUnavailable);
    QVERIFY(noModule.checkCipherAvailable(kCipherBlowfish));
    QCOMPARE(readFile(path("d.srtf")), QByteArray("precious"));
}

QTEST_GUILESS_MAIN(TestCipherPipeline)
#include "tst_cipherpipeline.moc"
