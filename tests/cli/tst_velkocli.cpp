// velko-cli lock and unlock, run as a program on real files.
#include "core/keywordpipe.h"
#include "core/nativepath.h"
#include "testfiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>
#include <sys/stat.h>

#include <unistd.h>

using namespace velko;
using testsupport::filesUnder;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

const QString kCli = QStringLiteral(VELKO_BIN_DIR "/velko-cli");
const QByteArray kRtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Times;}}\\f0 caf\\'e9 \\{x\\}\\par\r\n}\r\n";

struct Outcome
{
    int status = -1;
    QByteArray out, err;
};

// Runs the program with `args` (file names with their bytes), `input` on
// standard input and `keywordOnThree` (when not null) on descriptor 3, else
// with no controlling terminal; `noFileSize`: under a file size limit of 0.
Outcome runCli(const QStringList& args, const QByteArray& input = {},
               const QByteArray& keywordOnThree = {}, const QString& program = kCli,
               bool noFileSize = false)
{
    QProcess process;
    std::optional<Result<KeywordPipe>> pipe;
    if (!keywordOnThree.isNull()) {
        pipe.emplace(KeywordPipe::create(keywordOnThree));
        pipe->value().attachTo(process);
    } else {
        process.setChildProcessModifier([] { ::setsid(); });
    }
    testsupport::startKeepingBytes(process, program, args,
                                   noFileSize ? QStringLiteral("ulimit -f 0; ") : QString());
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

} // namespace

class TestVelkoCli : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(writeFile(path("in.rtf"), kRtf));
    }

    void lockAndUnlock_data()
    {
        QTest::addColumn<QString>("cipher");
        QTest::addColumn<QByteArray>("shownName"); // what "auto" says it found
        QTest::addColumn<QByteArrayList>("names"); // input, locked, unlocked
        QTest::newRow("des3") << "des3" << QByteArray("Triple DES")
                              << QByteArrayList{"in.rtf", "out.srtf", "plain.rtf"};
        QTest::newRow("rc5, names not UTF-8")
            << "rc5" << QByteArray("RC5")
            << QByteArrayList{"caf\xe9.rtf", "\xff.srtf", "caf\xe9\xff.rtf"};
    }

    // Files and "-" both ways; the keyword on standard input (--keyword-fd 0,
    // either line ending, even ahead of the document) or on descriptor 3.
    // File names are the bytes given, whatever they spell.
    void lockAndUnlock()
    {
        QFETCH(QString, cipher);
        QFETCH(QByteArray, shownName);
        QFETCH(QByteArrayList, names);
        QStringList file;
        for (const QByteArray& name : names)
            file << path(pathFromNative(name));
        QVERIFY(writeFile(file[0], kRtf));
        runCli({"lock", "--cipher", cipher, "--keyword-fd", "0", file[0], file[1]}, "two words\n");
        Outcome run = runCli({"unlock", "--cipher", "auto", "--keyword-fd", "0", file[1], "-"},
                             "two words\r\n");
        QCOMPARE(run.out, kRtf); // byte for byte
        QVERIFY2(run.err.contains(shownName), run.err.constData());
        run = runCli({"unlock", "--cipher", cipher, "--keyword-fd", "0", file[1], file[2]},
                     "two words\n");
        QCOMPARE(run.status, 0);
        struct stat info; // plaintext written to a new file is the user's only
        QCOMPARE(::stat((QFile::encodeName(m_dir->path()) + '/' + names[2]).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
        const QStringList lockPipe{"lock", "--cipher", cipher, "--keyword-fd", "3", "-", "-"};
        const QByteArray locked = runCli(lockPipe, kRtf, "k3\n").out;
        run = runCli({"unlock", "--cipher=" + cipher, "--keyword-fd=3", "-", "-"}, locked, "k3\n");
        QCOMPARE(run.out, kRtf);
        run =
            runCli({"unlock", "--cipher", cipher, "--keyword-fd", "0", "-", "-"}, "k3\n" + locked);
        QCOMPARE(run.out, kRtf);
    }

    void exitStatuses_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QByteArray>("keyword");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("message"); // what the error line must say
        const auto row = [](const char* name, const char* args, const QByteArray& keyword,
                            int status, const QByteArray& message = {}) {
            QTest::newRow(name) << QString::fromLatin1(args) << keyword << status << message;
        };
        // %IN% a plain document, %LOCKED% a locked one, %CHANGED% one changed
        // after locking, %READONLY% a read-only file, %FF% a byte that is not UTF-8.
        row("help", "--help", {}, 0);
        row("unknown cipher", "lock --cipher aes %IN% %OUT%", "k\n", 1);
        row("no keyword line", "lock --cipher rc4 %IN% %OUT%", "", 1);
        row("no --keyword-fd, no terminal", "lock --cipher des3 %IN% %OUT%", {}, 1);
        row("keyword too long", "lock --cipher rc4 %IN% %OUT%", QByteArray(1024, 'k') + '\n', 1);
        // The limit, not how much was read.
        row("keyword far too long", "lock --cipher rc4 %IN% %OUT%", QByteArray(60000, 'k') + '\n',
            1, "longer than 1023 bytes");
        row("empty keyword", "lock --cipher des3 %IN% %OUT%", "\n", 1);
        row("wrong keyword", "unlock --cipher blowfish %LOCKED% %OUT%", "no\n", 2);
        row("lock a document that is not rtf", "lock --cipher rc4 %LOCKED% %OUT%", "k\n", 2);
        row("unlock a document that is not secure", "unlock --cipher rc4 %IN% %OUT%", "k\n", 2);
        row("changed after locking", "unlock --cipher auto %CHANGED% %OUT%", "k\n", 2,
            "changed or damaged after it was locked");
        row("missing input, named readably", "lock --cipher rc4 %IN%%FF% %OUT%", "k\n", 4,
            "in.rtf\\xff: No such file");
        row("input is a folder", "lock --cipher rc4 %DIR% %OUT%", "k\n", 4, "is a folder");
        row("input is a device", "lock --cipher rc4 /dev/zero %OUT%", "k\n", 4, "is a device");
        row("read-only output", "unlock --cipher blowfish %LOCKED% %READONLY%", "k\n", 4,
            "read-only");
        row("file size limit", "unlock --cipher blowfish %LOCKED% %OUT% %LIMIT%", "k\n", 4,
            "larger than allowed");
        row("output folder missing", "unlock --cipher blowfish %LOCKED% %OUT%/x.rtf", "k\n", 4);
        row("rc5 without its module", "lock --cipher rc5 %IN% %OUT%", "k\n", 3);
    }

    // Each failure has its exit status and names what happened; it leaves the
    // folder as it was (no output file). Run as a copy away from its RC5 module.
    void exitStatuses()
    {
        QFETCH(QString, args);
        QFETCH(QByteArray, keyword);
        QFETCH(int, status);
        QFETCH(QByteArray, message);
        const QString cli = path("velko-cli");
        QVERIFY(QFile::copy(kCli, cli));
        const QStringList lock{"lock", "--cipher=blowfish", "--keyword-fd=3", path("in.rtf"),
                               path("locked.srtf")};
        QCOMPARE(runCli(lock, {}, "k\n", cli).status, 0);
        QByteArray raw = QByteArray::fromBase64(readFile(path("locked.srtf")));
        raw[raw.size() / 2] = char(raw[raw.size() / 2] ^ 4);
        QVERIFY(writeFile(path("changed.srtf"), raw.toBase64() + '\n'));
        QVERIFY(writeFile(path("readonly.rtf"), "kept"));
        QVERIFY(QFile::setPermissions(path("readonly.rtf"), QFile::ReadOwner));
        const QMap<QString, QByteArray> before = filesUnder(m_dir->path());
        const bool noFileSize = args.contains("%LIMIT%");
        for (const char* name : {"in.rtf", "out", "locked.srtf", "changed.srtf", "readonly.rtf"})
            args.replace("%" + QString(name).section('.', 0, 0).toUpper() + "%", path(name));
        args.replace("%DIR%", m_dir->path())
            .replace("%LIMIT%", "")
            .replace("%FF%", pathFromNative("\xff"));
        QStringList list = args.split(' ', Qt::SkipEmptyParts);
        if (!keyword.isNull() && list.size() > 2)
            list.insert(1, "--keyword-fd=3");
        const Outcome run = runCli(list, {}, keyword, cli, noFileSize);
        QVERIFY2(run.status == status && run.err.contains(message), run.err.constData());
        QCOMPARE(filesUnder(m_dir->path()), before);
    }

    // A crash while the keyword is held must not leave it in a core file.
    void noCoreFiles()
    {
        QProcess waiting;                    // waits for a keyword on its standard input
        waiting.setChildProcessModifier([] { // allow core files, as a shell may
            rlimit core;
            ::getrlimit(RLIMIT_CORE, &core);
            core.rlim_cur = core.rlim_max;
            ::setrlimit(RLIMIT_CORE, &core);
        });
        waiting.start(kCli, {"lock", "--cipher", "des3", "--keyword-fd", "0", path("in.rtf"),
                             path("out.srtf")});
        QVERIFY(waiting.waitForStarted());
        QFile limits(QStringLiteral("/proc/%1/limits").arg(waiting.processId()));
        const auto coreLimit = [&limits] {
            limits.open(QIODevice::ReadOnly);
            const QByteArray text = limits.readAll();
            limits.close();
            const qsizetype at = text.indexOf("Max core file size");
            return text.mid(at, text.indexOf('\n', at) - at).simplified();
        };
        QTRY_COMPARE(coreLimit(), QByteArray("Max core file size 0 0 bytes"));
        waiting.kill();
        waiting.waitForFinished();
    }

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestVelkoCli)
#include "tst_velkocli.moc"
