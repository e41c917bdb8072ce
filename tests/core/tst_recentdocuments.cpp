// The desktop's shared list of recent documents (recently-used.xbel).
#include "core/desktop/recentdocuments.h"
#include "testfiles.h"

#include <QDir>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUrl>

#include <sys/stat.h>

using namespace velko;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

// A list written by another program, with one entry of its own.
const QByteArray kForeignList =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel version=\"1.0\" "
    "xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\" "
    "xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
    "<bookmark href=\"file:///srv/other/notes.txt\" added=\"2023-01-02T03:04:05Z\" "
    "modified=\"2023-01-02T03:04:05Z\" visited=\"2023-01-02T03:04:05Z\"><info>"
    "<metadata owner=\"http://freedesktop.org\"><mime:mime-type type=\"text/plain\"/>"
    "<bookmark:applications><bookmark:application name=\"gedit\" exec=\"&apos;gedit "
    "%u&apos;\" modified=\"2023-01-02T03:04:05Z\" count=\"7\"/></bookmark:applications>"
    "</metadata></info></bookmark>\n</xbel>\n";

QByteArray hrefOf(const QString& path)
{
    return "href=\"" + QUrl::fromLocalFile(path).toEncoded().replace("&", "&amp;") + '"';
}

} // namespace

class RecentDocumentsTest : public QObject
{
    Q_OBJECT

private slots:
    // A home whose data folder does not exist yet: the first add creates it.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("HOME", QFile::encodeName(m_dir->path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath("data")));
    }

    // One entry per document, its name escaped in the URI, as other readers
    // expect it; the list is the user's only, and nothing is left beside it.
    void addWritesEntryOtherReadersUnderstand()
    {
        const QString path = documentAt("my notes & ideas #1.rtf");
        QVERIFY(addRecentDocument(path).ok() && addRecentDocument(path).ok());
        const QByteArray list = readFile(listPath());
        QCOMPARE(list.count("<bookmark "), 1);
        QVERIFY2(list.contains(hrefOf(path)), list.constData());
        QVERIFY(list.contains("type=\"application/rtf\"") && list.contains("name=\"Velko\""));
        QVERIFY(list.contains("count=\"2\""));
        struct stat info;
        QCOMPARE(::stat(QFile::encodeName(listPath()).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
        QCOMPARE(QDir(m_dir->filePath("data")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"recently-used.xbel"});
    }

    // Only this program's entries are offered, newest first; the other
    // program's survives. Using a document again moves it to the front; a
    // vanished one is not offered, but its entry stays in the shared list.
    void listsOwnExistingEntriesNewestFirst()
    {
        QCOMPARE(recentDocuments(), QStringList());
        QVERIFY(QDir().mkpath(m_dir->filePath("data")) && writeFile(listPath(), kForeignList));
        const QString a = documentAt("a.rtf"), b = documentAt("sub/b.rtf"), c = documentAt("c.rtf");
        for (const QString& path : {a, b, c}) {
            QVERIFY(addRecentDocument(path).ok());
            QThread::msleep(5);
        }
        QCOMPARE(recentDocuments(), (QStringList{c, b, a}));
        const QByteArray list = readFile(listPath());
        QCOMPARE(list.count("<bookmark "), 4);
        QVERIFY2(list.contains("name=\"gedit\"") && list.contains("count=\"7\""), list.constData());
        QVERIFY(addRecentDocument(a).ok() && QFile::remove(b));
        QCOMPARE(recentDocuments(), (QStringList{a, c}));
        QVERIFY(readFile(listPath()).contains(hrefOf(b)));
    }

    // While another program holds the list's lock, or when the list is
    // damaged, an add is refused and leaves the list as it was. An empty file
    // is an empty list, not a damaged one.
    void refusedWriteLeavesTheListAsItWas()
    {
        for (const bool locked : {true, false}) {
            QVERIFY(QDir().mkpath(m_dir->filePath("data")) && writeFile(listPath(), {}));
            QVERIFY(addRecentDocument(documentAt("first.rtf")).ok());
            if (!locked)
                QVERIFY(writeFile(listPath(), kForeignList.left(kForeignList.size() / 2)));
            const QByteArray before = readFile(listPath());
            QLockFile held(listPath() + ".lock");
            QVERIFY(!locked || held.tryLock(0));
            const Status status = addRecentDocument(documentAt("second.rtf"));
            QVERIFY(!status.ok());
            QCOMPARE(status.error().code, locked ? ErrorCode::FileWrite : ErrorCode::FileRead);
            QCOMPARE(readFile(listPath()), before);
            QCOMPARE(recentDocuments().size(), locked ? 1 : 0);
        }
    }

private:
    QString listPath() const { return m_dir->filePath("data/recently-used.xbel"); }
    QString documentAt(const QString& name)
    {
        const QString path = m_dir->filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        writeFile(path, "{\\rtf1 x}");
        return path;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(RecentDocumentsTest)
#include "tst_recentdocuments.moc"
