// velko-cli lock and unlock, run as a program on real files.
#include "core/keywordpipe.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace velko;

namespace {

const QString kCli = QStringLiteral(VELKO_BIN_DIR "/velko-cli");
const QByteArray kRtf =
    "{\\rtf1\\ansi\\deff0 {\\fonttbl {\\f0 Times;}}\\f0 caf\\'e9 \\{x\\}\\par\r\n}\r\n";

struct Outcome
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the program with `input` on standard input. `keywordOnThree` (when
// set) reaches it as descriptor 3; without it the program is detached from
// any controlling terminal.
Outcome runCli(const QStringList& args, const QByteArray& input = {},
               const std::optional<QByteArray>& keywordOnThree = {}, const QString& program = kCli)
{
    QProcess process;
    std::optional<Result<KeywordPipe>> pipe;
    if (keywordOnThree) {
        pipe.emplace(KeywordPipe::create(*keywordOnThree));
        pipe->value().attachTo(process);
    } else {
        process.setChildProcessModifier([] { ::setsid(); });
    }
    process.start(program, args);
    if (!process.waitForStarted())
        return {};
    if (pipe)
        pipe->value().closeReadEnd();
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestVelkoCli : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void lockAndUnlockFiles_data();
    void lockAndUnlockFiles();
    void standardStreams();
    void exitStatuses_data();
    void exitStatuses();
    void cipherUnavailableWithoutModule();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestVelkoCli::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QFile file(path("in.rtf"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(kRtf);
}

void TestVelkoCli::lockAndUnlockFiles_data()
{
    QTest::addColumn<QString>("cipher");
    QTest::addColumn<QByteArray>("shownName"); // what "auto" says it found
    QTest::newRow("blowfish") << "blowfish" << QByteArray("Blowfish");
    QTest::newRow("des3") << "des3" << QByteArray("Triple DES");
    QTest::newRow("rc5") << "rc5" << QByteArray("RC5");
    QTest::newRow("rc4") << "rc4" << QByteArray("RC4");
}

// The keyword comes on standard input here (--keyword-fd 0).
void TestVelkoCli::lockAndUnlockFiles()
{
    QFETCH(QString, cipher);
    QFETCH(QByteArray, shownName);
    Outcome run =
        runCli({"lock", "--cipher", cipher, "--keyword-fd", "0", path("in.rtf"), path("out.srtf")},
               "two words\n");
    QVERIFY2(run.status == 0, run.err.constData());
    QVERIFY(readFile(path("out.srtf")).startsWith("U2FsdGVkX1"));
    run = runCli(
        {"unlock", "--cipher", cipher, "--keyword-fd", "0", path("out.srtf"), path("back.rtf")},
        "two words\r\n");
    QVERIFY2(run.status == 0, run.err.constData());
    QCOMPARE(readFile(path("back.rtf")), kRtf); // byte for byte

    run = runCli({"unlock", "--cipher", "auto", "--keyword-fd", "0", path("out.srtf"), "-"},
                 "two words\n");
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, kRtf);
    QVERIFY2(run.err.contains(shownName), run.err.constData());
}

// "-" both ways, keyword on descriptor 3 while the document is on stdin.
void TestVelkoCli::standardStreams()
{
    const Outcome locked =
        runCli({"lock", "--cipher", "des3", "--keyword-fd", "3", "-", "-"}, kRtf, "k3\n");
    QVERIFY2(locked.status == 0, locked.err.constData());
    QVERIFY(locked.out.startsWith("U2FsdGVkX1"));
    const Outcome unlocked =
        runCli({"unlock", "--cipher=des3", "--keyword-fd=3", "-", "-"}, locked.out, "k3\n");
    QVERIFY2(unlocked.status == 0, unlocked.err.constData());
    QCOMPARE(unlocked.out, kRtf);
    // Keyword line and document both on standard input.
    const Outcome shared =
        runCli({"unlock", "--cipher", "des3", "--keyword-fd", "0", "-", "-"}, "k3\n" + locked.out);
    QCOMPARE(shared.out, kRtf);
}

void TestVelkoCli::exitStatuses_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("keyword");
    QTest::addColumn<int>("status");
    const QString in = QStringLiteral("%IN%");
    const QString out = QStringLiteral("%OUT%");
    const QString locked = QStringLiteral("%LOCKED%");
    const QByteArray k = "k\n";
    QTest::newRow("help") << QStringList{"--help"} << QByteArray() << 0;
    QTest::newRow("no command") << QStringList{} << QByteArray() << 1;
    QTest::newRow("unknown command") << QStringList{"wipe"} << QByteArray() << 1;
    QTest::newRow("unknown cipher") << QStringList{"lock", "--cipher", "aes", in, out} << k << 1;
    QTest::newRow("auto for lock") << QStringList{"lock", "--cipher", "auto", in, out} << k << 1;
    QTest::newRow("no cipher") << QStringList{"lock", in, out} << k << 1;
    QTest::newRow("one operand") << QStringList{"lock", "--cipher", "rc4", in} << k << 1;
    QTest::newRow("unknown option")
        << QStringList{"lock", "--cipher", "rc4", "--force", in, out} << k << 1;
    QTest::newRow("no keyword line")
        << QStringList{"lock", "--cipher", "rc4", in, out} << QByteArray() << 1;
    QTest::newRow("keyword too long")
        << QStringList{"lock", "--cipher", "rc4", in, out} << QByteArray(1024, 'k') + '\n'
        << 1;
    QTest::newRow("wrong keyword")
        << QStringList{"unlock", "--cipher", "blowfish", locked, out} << QByteArray("no\n") << 2;
    QTest::newRow("wrong cipher") << QStringList{"unlock", "--cipher", "rc4", locked, out} << k
                                  << 2;
    QTest::newRow("lock a document that is not rtf")
        << QStringList{"lock", "--cipher", "rc4", locked, out} << k << 2;
    QTest::newRow("unlock a document that is not secure")
        << QStringList{"unlock", "--cipher", "rc4", in, out} << k << 2;
    QTest::newRow("missing input")
        << QStringList{"lock", "--cipher", "rc4", in + "x", out} << k << 4;
    QTest::newRow("output folder missing")
        << QStringList{"unlock", "--cipher", "blowfish", locked, out + "/x.rtf"} << k << 4;
}

// Every failure leaves no output file behind.
void TestVelkoCli::exitStatuses()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, keyword);
    QFETCH(int, status);
    QCOMPARE(runCli({"lock", "--cipher", "blowfish", "--keyword-fd", "3", path("in.rtf"),
                     path("locked.srtf")},
                    {}, "k\n")
                 .status,
             0);
    for (QString& arg : args) {
        arg.replace("%IN%", path("in.rtf"));
        arg.replace("%OUT%", path("out"));
        arg.replace("%LOCKED%", path("locked.srtf"));
    }
    if (args.size() > 2)
        args.insert(1, "--keyword-fd=3");
    const Outcome run = runCli(args, {}, keyword);
    QCOMPARE(run.status, status);
    QVERIFY(!QFileInfo::exists(path("out")));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

// A copy of the program away from its RC5 module cannot use RC5 (3), and
// with no terminal and no --keyword-fd there is no keyword (1).
void TestVelkoCli::cipherUnavailableWithoutModule()
{
    const QString lonely = path("velko-cli");
    QVERIFY(QFile::copy(kCli, lonely));
    Outcome run =
        runCli({"lock", "--cipher", "rc5", "--keyword-fd", "3", path("in.rtf"), path("out.srtf")},
               {}, "k\n", lonely);
    QCOMPARE(run.status, 3);
    QVERIFY(!QFileInfo::exists(path("out.srtf")));
    run = runCli({"lock", "--cipher", "des3", path("in.rtf"), path("out.srtf")}, {}, {}, lonely);
    QCOMPARE(run.status, 1);
    QVERIFY(run.err.contains("--keyword-fd"));
}

QTEST_GUILESS_MAIN(TestVelkoCli)
#include "tst_velkocli.moc"
