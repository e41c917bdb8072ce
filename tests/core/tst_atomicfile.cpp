// The one file writer: what a reader of the folder can see before the
// commit, the mode a file ends up with, and what is refused untouched.
#include "core/atomicfile.h"
#include "core/documentfile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace velko;

namespace {

mode_t modeOf(const QString& path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList entriesOf(const QTemporaryDir& dir)
{
    return QDir(dir.path())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

class TestAtomicFile : public QObject
{
    Q_OBJECT
private slots:
    void modes_data();
    void modes();
    void nothingShowsBeforeTheCommit();
    void childWritesThroughTheDescriptor();
    void refusedTargetsStayAsTheyWere_data();
    void refusedTargetsStayAsTheyWere();
    void sizeLimitIsToldAsSuch();
    void linkIsKept();
    void readingNamesWhatIsNoFile();
};

void TestAtomicFile::modes_data()
{
    QTest::addColumn<int>("existing"); // -1: no file yet
    QTest::addColumn<bool>("privateFile");
    QTest::addColumn<int>("expected");
    QTest::newRow("new, usual") << -1 << false << int(0666 & ~022);
    QTest::newRow("new, private") << -1 << true << 0600;
    QTest::newRow("replaced keeps its mode") << 0640 << true << 0640;
    QTest::newRow("replaced world-readable stays so") << 0644 << true << 0644;
}

void TestAtomicFile::modes()
{
    QFETCH(int, existing);
    QFETCH(bool, privateFile);
    QFETCH(int, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.rtf"));
    if (existing >= 0) {
        QVERIFY(writeDocumentFile(path, "old").ok());
        QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(existing)) == 0);
    }
    const mode_t saved = ::umask(022);
    const Status written =
        writeDocumentFile(path, "new", privateFile ? NewFileMode::Private : NewFileMode::Usual);
    ::umask(saved);
    QVERIFY(written.ok());
    QCOMPARE(contentOf(path), QByteArray("new"));
    QCOMPARE(int(modeOf(path)), expected);
    QCOMPARE(entriesOf(dir), QStringList{QStringLiteral("doc.rtf")});
}

// Until the commit the folder holds the old file only; without a commit
// nothing is left behind.
void TestAtomicFile::nothingShowsBeforeTheCommit()
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
    QCOMPARE(contentOf(path), QByteArray("old"));
}

void TestAtomicFile::childWritesThroughTheDescriptor()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.srtf"));
    AtomicFile file(path, NewFileMode::Private);
    QVERIFY(file.create().ok());
    QProcess child;
    child.setStandardOutputFile(file.descriptorPath(), QIODevice::Truncate);
    child.start(QStringLiteral("/bin/echo"), {QStringLiteral("from the child")});
    QVERIFY(child.waitForFinished());
    QCOMPARE(entriesOf(dir), QStringList());
    QCOMPARE(file.readBack().value(), QByteArray("from the child\n"));
    QVERIFY(file.commit().ok());
    QCOMPARE(contentOf(path), QByteArray("from the child\n"));
    QCOMPARE(int(modeOf(path)), 0600);
}

void TestAtomicFile::refusedTargetsStayAsTheyWere_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("detail");
    QTest::newRow("read-only file") << "read-only" << int(ErrorCode::FileReadOnly) << "read-only";
    QTest::newRow("folder") << "folder" << int(ErrorCode::NotRegularFile) << "a folder";
    QTest::newRow("missing folder") << "missing" << int(ErrorCode::FileWrite) << "doc.rtf";
}

void TestAtomicFile::refusedTargetsStayAsTheyWere()
{
    QFETCH(QString, kind);
    QFETCH(int, code);
    QFETCH(QString, detail);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("doc.rtf"));
    if (kind == QLatin1String("read-only")) {
        QVERIFY(writeDocumentFile(path, "old").ok());
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0444) == 0);
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else {
        path = dir.filePath(QStringLiteral("missing/doc.rtf"));
    }
    const QStringList before = entriesOf(dir);
    const Status written = writeDocumentFile(path, "new");
    QVERIFY(!written.ok());
    QCOMPARE(int(written.error().code), code);
    QVERIFY2(written.error().detail.contains(detail), qPrintable(written.error().detail));
    QCOMPARE(entriesOf(dir), before);
    if (kind == QLatin1String("read-only"))
        QCOMPARE(contentOf(path), QByteArray("old"));
}

// Beyond the process's file size limit the write fails with its own error
// (SIGXFSZ ignored, as the programs do at start) and the old file stays.
void TestAtomicFile::sizeLimitIsToldAsSuch()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.rtf"));
    QVERIFY(writeDocumentFile(path, "old").ok());
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
    const Status written = writeDocumentFile(path, QByteArray(10000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    QVERIFY(!written.ok());
    QCOMPARE(written.error().code, ErrorCode::FileTooLarge);
    QCOMPARE(contentOf(path), QByteArray("old"));
    QCOMPARE(entriesOf(dir), QStringList{QStringLiteral("big.rtf")});
}

void TestAtomicFile::linkIsKept()
{
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("real.rtf"));
    const QString link = dir.filePath(QStringLiteral("link.rtf"));
    QVERIFY(writeDocumentFile(real, "old").ok());
    QVERIFY(QFile::link(real, link));
    QVERIFY(writeDocumentFile(link, "new").ok());
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(contentOf(real), QByteArray("new"));
}

void TestAtomicFile::readingNamesWhatIsNoFile()
{
    QTemporaryDir dir;
    const Result<QByteArray> folder = readDocumentFile(dir.path());
    const Result<QByteArray> device = readDocumentFile(QStringLiteral("/dev/zero"));
    const Result<QByteArray> missing = readDocumentFile(dir.filePath(QStringLiteral("gone")));
    QCOMPARE(folder.error().code, ErrorCode::NotRegularFile);
    QVERIFY(folder.error().detail.contains(QLatin1String("a folder")));
    QCOMPARE(device.error().code, ErrorCode::NotRegularFile);
    QVERIFY(device.error().detail.contains(QLatin1String("a device")));
    QCOMPARE(missing.error().code, ErrorCode::FileRead);
}

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
