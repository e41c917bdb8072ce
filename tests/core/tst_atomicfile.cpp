// The one file writer: what a reader of the folder can see before the
// commit, the mode a file ends up with, and what is refused untouched.
#include "core/atomicfile.h"
#include "core/documentfile.h"
#include "testfiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace velko;
using testsupport::readFile;

namespace {

mode_t modeOf(const QString& path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

QStringList entriesOf(const QTemporaryDir& dir)
{
    return QDir(dir.path())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// Writes 10000 bytes under a file size limit of 4096 (SIGXFSZ ignored, as the
// programs do at start).
Status writeOverSizeLimit(const QString& path)
{
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const Status written = writeDocumentFile(path, QByteArray(10000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    return written;
}

} // namespace

class TestAtomicFile : public QObject
{
    Q_OBJECT
private slots:
    void modes_data()
    {
        QTest::addColumn<int>("existing"); // its mode; 0: no file yet
        QTest::addColumn<bool>("link");    // written through a link to it
        QTest::addColumn<bool>("privateFile");
        QTest::addColumn<int>("expected");
        QTest::newRow("new, usual") << 0 << false << false << int(0666 & ~022);
        QTest::newRow("new, private") << 0 << false << true << 0600;
        QTest::newRow("replaced keeps its mode") << 0640 << false << true << 0640;
        QTest::newRow("replaced world-readable stays so") << 0644 << false << true << 0644;
        QTest::newRow("through a link, which stays") << 0640 << true << false << 0640;
    }

    void modes()
    {
        QFETCH(int, existing);
        QFETCH(bool, link);
        QFETCH(bool, privateFile);
        QFETCH(int, expected);
        QTemporaryDir dir;
        const QString real = dir.filePath(QStringLiteral("doc.rtf"));
        const QString path = link ? dir.filePath(QStringLiteral("link.rtf")) : real;
        if (existing) {
            QVERIFY(writeDocumentFile(real, "old").ok());
            QVERIFY(::chmod(QFile::encodeName(real).constData(), mode_t(existing)) == 0);
        }
        QVERIFY(!link || QFile::link(real, path));
        const mode_t saved = ::umask(022);
        const Status written =
            writeDocumentFile(path, "new", privateFile ? NewFileMode::Private : NewFileMode::Usual);
        ::umask(saved);
        QVERIFY(written.ok());
        QCOMPARE(readFile(real), QByteArray("new"));
        QCOMPARE(int(modeOf(real)), expected);
        QCOMPARE(QFileInfo(path).isSymLink(), link);
        QCOMPARE(entriesOf(dir).size(), link ? 2 : 1);
    }

    // Until the commit the folder holds the old file only; without a commit
    // nothing is left behind. A child process writes through the descriptor.
    void nothingShowsBeforeTheCommit()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("doc.rtf"));
        QVERIFY(writeDocumentFile(path, "old").ok());
        {
            AtomicFile file(path);
            QVERIFY(file.create().ok());
            QVERIFY(file.write("half of the secret").ok());
            QCOMPARE(entriesOf(dir), QStringList{QStringLiteral("doc.rtf")});
            QCOMPARE(file.readBack().value(), QByteArray("half of the secret"));
        }
        QCOMPARE(entriesOf(dir), QStringList{QStringLiteral("doc.rtf")});
        QCOMPARE(readFile(path), QByteArray("old"));

        const QString out = dir.filePath(QStringLiteral("out.srtf"));
        AtomicFile file(out, NewFileMode::Private);
        QVERIFY(file.create().ok());
        QProcess child;
        child.setStandardOutputFile(file.descriptorPath(), QIODevice::Truncate);
        child.start(QStringLiteral("/bin/echo"), {QStringLiteral("from the child")});
        QVERIFY(child.waitForFinished());
        QCOMPARE(entriesOf(dir), QStringList{QStringLiteral("doc.rtf")});
        QCOMPARE(file.readBack().value(), QByteArray("from the child\n"));
        QVERIFY(file.commit().ok());
        QCOMPARE(readFile(out), QByteArray("from the child\n"));
        QCOMPARE(int(modeOf(out)), 0600);
    }

    // Writes and reads that are refused name what is wrong and leave the
    // folder and an existing file as they were.
    void refusedStayAsTheyWere_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("reading");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("detail");
        const auto row = [](const char* kind, bool reading, ErrorCode code, const char* detail) {
            QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(reading ? "read" : "write", kind)))
                << QString::fromLatin1(kind) << reading << int(code) << QString::fromLatin1(detail);
        };
        row("read-only", false, ErrorCode::FileReadOnly, "read-only");
        row("folder", false, ErrorCode::NotRegularFile, "a folder");
        row("missing folder", false, ErrorCode::FileWrite, "doc.rtf");
        row("size limit", false, ErrorCode::FileTooLarge, "");
        row("folder", true, ErrorCode::NotRegularFile, "a folder");
        row("device", true, ErrorCode::NotRegularFile, "a device");
        row("missing folder", true, ErrorCode::FileRead, "doc.rtf");
    }

    void refusedStayAsTheyWere()
    {
        QFETCH(QString, kind);
        QFETCH(bool, reading);
        QFETCH(int, code);
        QFETCH(QString, detail);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("doc.rtf"));
        const bool old = kind == QLatin1String("read-only") || kind == QLatin1String("size limit");
        if (old)
            QVERIFY(writeDocumentFile(path, "old").ok());
        if (kind == QLatin1String("read-only"))
            QVERIFY(::chmod(QFile::encodeName(path).constData(), 0444) == 0);
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path));
        else if (kind == QLatin1String("missing folder"))
            path = dir.filePath(QStringLiteral("missing/doc.rtf"));
        else if (kind == QLatin1String("device"))
            path = QStringLiteral("/dev/zero");
        const QStringList before = entriesOf(dir);
        const Result<QByteArray> read = readDocumentFile(path);
        const Status status = reading ? (read ? Status() : Status(read.error()))
                              : kind == QLatin1String("size limit")
                                  ? writeOverSizeLimit(path)
                                  : writeDocumentFile(path, "new");
        QVERIFY(!status.ok());
        QCOMPARE(int(status.error().code), code);
        QVERIFY2(status.error().detail.contains(detail), qPrintable(status.error().detail));
        QCOMPARE(entriesOf(dir), before);
        if (old)
            QCOMPARE(readFile(path), QByteArray("old"));
    }
};

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
