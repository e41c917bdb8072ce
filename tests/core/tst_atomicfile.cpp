// The one file writer: what a reader of the folder can see before the
// commit, and the mode a file ends up with. (What it refuses, and that the
// refused are left untouched, velko-cli's table of exit statuses shows.)
#include "core/atomicfile.h"
#include "core/documentfile.h"
#include "testfiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace velko;
using testsupport::filesUnder;
using testsupport::readFile;

namespace {

int modeOf(const QString& path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : 0;
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

    // A new file's mode follows the umask or is private; a replaced one keeps
    // its own, and a link stays a link to the replaced file.
    void modes()
    {
        QFETCH(int, existing);
        QFETCH(bool, link);
        QFETCH(bool, privateFile);
        QFETCH(int, expected);
        QTemporaryDir dir;
        const QString real = dir.filePath("doc.rtf");
        const QString path = link ? dir.filePath("link.rtf") : real;
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
        QCOMPARE(modeOf(real), expected);
        QCOMPARE(QFileInfo(path).isSymLink(), link);
        QCOMPARE(filesUnder(dir.path()).size(), link ? 2 : 1);
    }

    // Until the commit the folder holds the old file only; without a commit
    // nothing is left behind. A child process writes through the descriptor.
    void nothingShowsBeforeTheCommit()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("doc.rtf");
        QVERIFY(writeDocumentFile(path, "old").ok());
        const QMap<QString, QByteArray> before = filesUnder(dir.path());
        {
            AtomicFile file(path);
            QVERIFY(file.create().ok() && file.write("half of the secret").ok());
            QCOMPARE(filesUnder(dir.path()), before);
            QCOMPARE(file.readBack().value(), QByteArray("half of the secret"));
        }
        QCOMPARE(filesUnder(dir.path()), before);

        const QString out = dir.filePath("out.srtf");
        AtomicFile file(out, NewFileMode::Private);
        QVERIFY(file.create().ok());
        QProcess child;
        child.setStandardOutputFile(file.descriptorPath(), QIODevice::Truncate);
        child.start("/bin/echo", {"from the child"});
        QVERIFY(child.waitForFinished());
        QCOMPARE(filesUnder(dir.path()), before);
        QCOMPARE(file.readBack().value(), QByteArray("from the child\n"));
        QVERIFY(file.commit().ok());
        QCOMPARE(readFile(out), QByteArray("from the child\n"));
        QCOMPARE(modeOf(out), 0600);
    }
};

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
