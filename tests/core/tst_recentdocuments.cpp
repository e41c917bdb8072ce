#include "core/desktop/recentdocuments.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        // The folder does not exist yet: the first add creates it.
        m_dataHome = m_dir->filePath(QStringLiteral("data"));
        qputenv("HOME", m_dir->path().toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_dataHome.toLocal8Bit());
    }

    void addWritesEntryOtherReadersUnderstand()
    {
        // A name that needs escaping in a URI.
        const QString path = documentAt(QStringLiteral("my notes & ideas #1.rtf"));
        QVERIFY(addRecentDocument(path).ok());
        QVERIFY(addRecentDocument(path).ok());

        const QByteArray list = readFile(listPath());
        QCOMPARE(list.count("<bookmark "), 1);
        QVERIFY2(list.contains(hrefOf(path)), list.constData());
        QVERIFY(list.contains("type=\"application/rtf\""));
        QVERIFY(list.contains("name=\"Velko\""));
        QVERIFY(list.contains("count=\"2\""));

        struct stat info;
        QCOMPARE(::stat(QFile::encodeName(listPath()).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
        // Nothing but the list is left beside it (no temporary files).
        const QStringList left = QDir(m_dataHome).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(left, QStringList{QStringLiteral("recently-used.xbel")});
    }

    void listsOwnExistingEntriesNewestFirst()
    {
        QCOMPARE(recentDocuments(), QStringList());
        QVERIFY(QDir().mkpath(m_dataHome));
        QVERIFY(writeFile(listPath(), kForeignList));
        const QString a = documentAt(QStringLiteral("a.rtf"));
        const QString b = documentAt(QStringLiteral("sub/b.rtf"));
        const QString c = documentAt(QStringLiteral("c.rtf"));
        for (const QString& path : {a, b, c}) {
            QVERIFY(addRecentDocument(path).ok());
            QThread::msleep(5);
        }
        // Only this program's entries are offered; the other program's survives.
        QCOMPARE(recentDocuments(), (QStringList{c, b, a}));
        const QByteArray list = readFile(listPath());
        QCOMPARE(list.count("<bookmark "), 4);
        QVERIFY2(list.contains("name=\"gedit\"") && list.contains("count=\"7\""), list.constData());

        // Using a document again moves it to the front; a vanished one is not
        // offered, but its entry stays in the shared list.
        QVERIFY(addRecentDocument(a).ok());
        QVERIFY(QFile::remove(b));
        QCOMPARE(recentDocuments(), (QStringList{a, c}));
        QVERIFY(readFile(listPath()).contains(hrefOf(b)));
    }

    void refusedWriteLeavesTheListAsItWas_data()
    {
        QTest::addColumn<bool>("locked"); // else damaged
        QTest::addColumn<int>("code");
        QTest::newRow("another program holds the lock") << true << int(ErrorCode::FileWrite);
        QTest::newRow("damaged list") << false << int(ErrorCode::FileRead);
    }

    void refusedWriteLeavesTheListAsItWas()
    {
        QFETCH(bool, locked);
        QFETCH(int, code);
        QVERIFY(QDir().mkpath(m_dataHome));
        // An empty file is an empty list, not a damaged one.
        QVERIFY(writeFile(listPath(), QByteArray()));
        QVERIFY(addRecentDocument(documentAt(QStringLiteral("first.rtf"))).ok());
        if (!locked)
            QVERIFY(writeFile(listPath(), kForeignList.left(kForeignList.size() / 2)));
        const QByteArray before = readFile(listPath());

        QLockFile held(listPath() + QStringLiteral(".lock"));
        QVERIFY(!locked || held.tryLock(0));
        const Status status = addRecentDocument(documentAt(QStringLiteral("second.rtf")));
        QVERIFY(!status.ok());
        QCOMPARE(int(status.error().code), code);
        QCOMPARE(readFile(listPath()), before);
        QCOMPARE(recentDocuments().size(), locked ? 1 : 0);
    }

private:
    QString documentAt(const QString& name);
    QString listPath() const { return m_dataHome + QStringLiteral("/recently-used.xbel"); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_dataHome;
};

QString RecentDocumentsTest::documentAt(const QString& name)
{
    const QString path = m_dir->filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    writeFile(path, "{\\rtf1 x}");
    return path;
}

QTEST_GUILESS_MAIN(RecentDocumentsTest)
#include "tst_recentdocuments.moc"
