// Lock and unlock through the real /usr/bin/openssl and real files.
#include "core/cipheroption.h"
#include "core/cipherpipeline.h"
#include "core/keywordpipe.h"

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
    rtf += '}';
    return rtf;
}

// The failure's detail for a test message (QVERIFY2 evaluates it always).
template <typename T> const char* detail(const Result<T>& result)
{
    static QByteArray text;
    text = result ? QByteArray() : result.error().detail.toLocal8Bit();
    return text.constData();
}

// The Base64 text with one bit of its last enciphered byte changed. (A
// stream cipher has no integrity: a bit changed in the middle of the text
// changes one letter, and only structure can be checked.)
QByteArray flipLastByte(const QByteArray& text)
{
    QByteArray raw = QByteArray::fromBase64(text);
    raw[raw.size() - 1] = char(raw.back() ^ 1);
    QByteArray relaid;
    const QByteArray packed = raw.toBase64();
    for (qsizetype at = 0; at < packed.size(); at += 64)
        relaid += packed.mid(at, 64) + '\n';
    return relaid;
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
    void largeDocument_data();
    void largeDocument();
    void stockToolReadsOurs_data();
    void stockToolReadsOurs();
    void oursReadsStock_data();
    void oursReadsStock();
    void wrongKeywordOrCipher_data();
    void wrongKeywordOrCipher();
    void damagedDocuments_data();
    void damagedDocuments();
    void base64Layouts_data();
    void base64Layouts();
    void anyCipherSaysWhichOpened();
    void keywordNeverInArgumentsOrEnvironment();
    void keywordPipeOnDescriptorThree();
    void refusedInputLeavesNoFile_data();
    void refusedInputLeavesNoFile();
    void failedLockKeepsTarget();
    void unavailableTools();

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
    for (const char* name : {"tmpPlain.txt", "tmpFile", "plntxt.txt"})
        writeFile(m_home->filePath(QString::fromLatin1(name)), name);
}

void TestCipherPipeline::cleanup()
{
    QCOMPARE(filesUnder(m_tmp->path()), QStringList()); // scratch data gone
    QCOMPARE(filesUnder(m_home->path()), (QStringList{"plntxt.txt", "tmpFile", "tmpPlain.txt"}));
    for (const char* name : {"tmpPlain.txt", "tmpFile", "plntxt.txt"})
        QCOMPARE(readFile(m_home->filePath(QString::fromLatin1(name))), QByteArray(name));
    qunsetenv("TMPDIR");
}

void TestCipherPipeline::roundTrip_data()
{
    QTest::addColumn<QString>("cipher");
    QTest::addColumn<QString>("keyword");
    const QList<QPair<const char*, QString>> keywords{
        {"empty", QString()},
        {"spaces", QStringLiteral("  two words  ")},
        {"quotes", QStringLiteral("it's \"quoted\" \\ back")},
        {"non-ascii", QStringLiteral("Schlüssel ключ 鍵 🔑")},
    };
    for (const QString& cipher : allCipherOptions()) {
        for (const auto& [name, keyword] : keywords)
            QTest::addRow("%s %s", qPrintable(cipher), name) << cipher << keyword;
    }
}

void TestCipherPipeline::roundTrip()
{
    QFETCH(QString, cipher);
    QFETCH(QString, keyword);
    const Result<QByteArray> text = m_pipeline.encipher(kRtf, cipher, keyword, path("d.srtf"));
    QVERIFY2(text, detail(text));
    QCOMPARE(readFile(path("d.srtf")), text.value());
    QVERIFY(text.value().startsWith("U2FsdGVkX1"));
    for (const QByteArray& line : text.value().chopped(1).split('\n'))
        QVERIFY(line.size() <= 64);
    const Result<QByteArray> rtf = m_pipeline.decipher(path("d.srtf"), cipher, keyword);
    QVERIFY2(rtf, detail(rtf));
    QCOMPARE(rtf.value(), kRtf);
}

void TestCipherPipeline::largeDocument_data()
{
    QTest::addColumn<QString>("cipher");
    for (const QString& cipher : allCipherOptions())
        QTest::newRow(qPrintable(cipher)) << cipher;
}

void TestCipherPipeline::largeDocument()
{
    QFETCH(QString, cipher);
    const QByteArray rtf = bigRtf(10 * 1024 * 1024);
    QVERIFY(m_pipeline.encipher(rtf, cipher, QStringLiteral("big"), path("big.srtf")));
    const Result<QByteArray> back = m_pipeline.decipher(path("big.srtf"), cipher, "big");
    QVERIFY(back);
    QVERIFY(back.value() == rtf);
}

void TestCipherPipeline::stockToolReadsOurs_data()
{
    largeDocument_data();
}

void TestCipherPipeline::stockToolReadsOurs()
{
    QFETCH(QString, cipher);
    QVERIFY(m_pipeline.encipher(kRtf, cipher, QStringLiteral("p w"), path("d.srtf")));
    int exitCode = -1;
    const QByteArray plain = stockTool({"-d", "-a", cipher, "-md", "sha256", "-pass", "pass:p w"},
                                       readFile(path("d.srtf")), &exitCode);
    QCOMPARE(exitCode, 0);
    QCOMPARE(plain, kRtf);
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

void TestCipherPipeline::wrongKeywordOrCipher_data()
{
    QTest::addColumn<QString>("lockCipher");
    QTest::addColumn<QString>("unlockCipher");
    QTest::addColumn<QString>("unlockKeyword");
    const QStringList ciphers = allCipherOptions();
    for (int i = 0; i < ciphers.size(); ++i) {
        const QString& cipher = ciphers[i];
        QTest::addRow("%s wrong keyword", qPrintable(cipher)) << cipher << cipher << "wrong";
        QTest::addRow("%s empty keyword", qPrintable(cipher)) << cipher << cipher << "";
        const QString other = ciphers[(i + 1) % ciphers.size()];
        QTest::addRow("%s opened as %s", qPrintable(cipher), qPrintable(other))
            << cipher << other << "right";
    }
}

void TestCipherPipeline::wrongKeywordOrCipher()
{
    QFETCH(QString, lockCipher);
    QFETCH(QString, unlockCipher);
    QFETCH(QString, unlockKeyword);
    QVERIFY(m_pipeline.encipher(kRtf, lockCipher, QStringLiteral("right"), path("d.srtf")));
    const Result<CipherPipeline::Unlocked> opened =
        m_pipeline.decipherEitherDigest(path("d.srtf"), unlockCipher, unlockKeyword);
    QVERIFY(!opened);
    QCOMPARE(opened.error().code, ErrorCode::WrongKeyword);
}

void TestCipherPipeline::damagedDocuments_data()
{
    QTest::addColumn<QString>("cipher");
    QTest::addColumn<QString>("damage");
    for (const QString& cipher : allCipherOptions()) {
        for (const char* damage : {"truncated", "flipped", "header only", "garbage", "empty"})
            QTest::addRow("%s %s", qPrintable(cipher), damage) << cipher << damage;
    }
}

void TestCipherPipeline::damagedDocuments()
{
    QFETCH(QString, cipher);
    QFETCH(QString, damage);
    const QByteArray rtf = bigRtf(4000);
    const Result<QByteArray> text = m_pipeline.encipher(rtf, cipher, "k", path("d.srtf"));
    QVERIFY(text);
    QByteArray damaged = text.value();
    if (damage == "truncated")
        damaged.truncate(damaged.size() / 2);
    else if (damage == "flipped")
        damaged = flipLastByte(damaged);
    else if (damage == "header only")
        damaged = "U2FsdGVkX1+qqqqqqqqqqg==\n";
    else if (damage == "garbage")
        damaged = "This is not a secure document.\n";
    else
        damaged.clear();
    writeFile(path("d.srtf"), damaged);
    const Result<QByteArray> opened = m_pipeline.decipher(path("d.srtf"), cipher, "k");
    QVERIFY(!opened);
    QCOMPARE(opened.error().code, ErrorCode::WrongKeyword);
}

void TestCipherPipeline::base64Layouts_data()
{
    QTest::addColumn<QString>("layout");
    QTest::newRow("one long line") << "one long line";
    QTest::newRow("crlf") << "crlf";
    QTest::newRow("76 columns and blank lines") << "76 columns";
}

void TestCipherPipeline::base64Layouts()
{
    QFETCH(QString, layout);
    const QByteArray rtf = bigRtf(3000);
    const Result<QByteArray> text = m_pipeline.encipher(rtf, kCipherDes3, "k", path("d.srtf"));
    QVERIFY(text);
    QByteArray packed = text.value();
    packed.replace('\n', "");
    QByteArray relaid;
    if (layout == "one long line") {
        relaid = packed;
    } else if (layout == "crlf") {
        relaid = text.value();
        relaid.replace("\n", "\r\n");
    } else {
        for (qsizetype at = 0; at < packed.size(); at += 76)
            relaid += packed.mid(at, 76) + "\n\n";
    }
    writeFile(path("d.srtf"), relaid);
    const Result<QByteArray> opened = m_pipeline.decipher(path("d.srtf"), kCipherDes3, "k");
    QVERIFY2(opened, detail(opened));
    QCOMPARE(opened.value(), rtf);
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
    const QString wrapper = path("openssl-wrapper");
    writeFile(wrapper, "#!/bin/sh\nlog='" + QFile::encodeName(logs) +
                           "'/$$\n"
                           "echo \"ARGS $*\" >> \"$log\"\n"
                           "echo \"FD3 $(readlink /proc/$$/fd/3)\" >> \"$log\"\n"
                           "env >> \"$log\"\n"
                           "exec " +
                           QFile::encodeName(kTool) + " \"$@\"\n");
    QVERIFY(QFile::setPermissions(wrapper, QFile::ReadOwner | QFile::ExeOwner));
    qputenv("OPENSSL_MODULES", "/nowhere");
    const CipherPipeline pipeline(wrapper, kModule);
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

// The trap: were descriptor 3 not the keyword pipe, the tool would read its
// keyword from whatever else is there. The child gets exactly the pipe,
// holding exactly the keyword line, whatever its other descriptors are.
void TestCipherPipeline::keywordPipeOnDescriptorThree()
{
    writeFile(path("input.txt"), "first line of the document\n");
    Result<KeywordPipe> pipe = KeywordPipe::create("Schlüssel with spaces\n");
    QVERIFY(pipe);
    QProcess child;
    child.setStandardInputFile(path("input.txt"));
    pipe.value().attachTo(child);
    child.start(QStringLiteral("/bin/sh"),
                {"-c", "readlink /proc/$$/fd/3; cat <&3; echo END; head -n 1"});
    QVERIFY(child.waitForStarted());
    pipe.value().closeReadEnd();
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitCode(), 0);
    const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
    QVERIFY(lines.value(0).startsWith("pipe:["));
    QCOMPARE(lines.value(1), QByteArray("Schlüssel with spaces"));
    QCOMPARE(lines.value(2), QByteArray("END")); // nothing after the keyword line
    QCOMPARE(lines.value(3), QByteArray("first line of the document"));
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

// A cipher stage that fails part-way: the existing document is kept as it
// was and no temporary file is left beside it.
void TestCipherPipeline::failedLockKeepsTarget()
{
    const QString wrapper = path("failing-openssl");
    writeFile(wrapper, "#!/bin/sh\ncase \"$*\" in *fd:3*) head -c 100 >/dev/null; echo "
                       "'simulated failure' >&2; exit 1;; esac\nexec " +
                           QFile::encodeName(kTool) + " \"$@\"\n");
    QVERIFY(QFile::setPermissions(wrapper, QFile::ReadOwner | QFile::ExeOwner));
    writeFile(path("d.srtf"), "precious");
    const Result<QByteArray> text =
        CipherPipeline(wrapper, kModule)
            .encipher(bigRtf(1 << 20), kCipherBlowfish, "k", path("d.srtf"));
    QVERIFY(!text);
    QCOMPARE(text.error().code, ErrorCode::ToolFailed);
    QVERIFY(text.error().detail.contains("simulated failure"));
    QCOMPARE(readFile(path("d.srtf")), QByteArray("precious"));
    QCOMPARE(filesUnder(m_dir->path()), (QStringList{"d.srtf", "failing-openssl"}));

    // A folder that does not exist cannot take the document.
    const Result<QByteArray> nowhere =
        m_pipeline.encipher(kRtf, kCipherBlowfish, "k", path("missing/d.srtf"));
    QVERIFY(!nowhere);
    QCOMPARE(nowhere.error().code, ErrorCode::FileWrite);
}

void TestCipherPipeline::unavailableTools()
{
    writeFile(path("d.srtf"), "precious");
    const CipherPipeline missingTool(path("no-such-openssl"), kModule);
    Result<QByteArray> text = missingTool.encipher(kRtf, kCipherDes3, "k", path("d.srtf"));
    QVERIFY(!text);
    QCOMPARE(text.error().code, ErrorCode::ToolMissing);
    QCOMPARE(missingTool.decipher(path("d.srtf"), kCipherDes3, "k").error().code,
             ErrorCode::ToolMissing);
    QCOMPARE(missingTool.checkCipherAvailable(kCipherDes3).error().code, ErrorCode::ToolMissing);

    const CipherPipeline noModule(kTool, path("no-such-module.so"));
    text = noModule.encipher(kRtf, kCipherRc5, "k", path("d.srtf"));
    QVERIFY(!text);
    QCOMPARE(text.error().code, ErrorCode::CipherUnavailable);
    QVERIFY(noModule.checkCipherAvailable(kCipherBlowfish));
    QCOMPARE(readFile(path("d.srtf")), QByteArray("precious"));
}

QTEST_GUILESS_MAIN(TestCipherPipeline)
#include "tst_cipherpipeline.moc"
