#include "core/recentdocuments.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUrl>
#include <QXmlStreamReader>

#include <sys/stat.h>

using namespace velko;

namespace {

// One <bookmark> of the xbel file, as another reader of the list sees it.
struct Bookmark
{
    QString href;
    QString mimeType;
    QStringList applications; // "name|exec|count"
};

QList<Bookmark> parseXbel(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Bookmark> bookmarks;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("bookmark")) {
            bookmarks.append({xml.attributes().value(QLatin1String("href")).toString(), {}, {}});
        } else if (xml.qualifiedName() == QLatin1String("mime:mime-type") && !bookmarks.isEmpty()) {
            bookmarks.last().mimeType = xml.attributes().value(QLatin1String("type")).toString();
        } else if (xml.qualifiedName() == QLatin1String("bookmark:application") &&
                   !bookmarks.isEmpty()) {
            const QXmlStreamAttributes a = xml.attributes();
            bookmarks.last().applications.append(
                a.value(QLatin1String("name")).toString() + QLatin1Char('|') +
                a.value(QLatin1String("exec")).toString() + QLatin1Char('|') +
                a.value(QLatin1String("count")).toString());
        }
    }
    return xml.hasError() ? QList<Bookmark>() : bookmarks;
}

const Bookmark* find(const QList<Bookmark>& bookmarks, const QString& path)
{
    const QString href = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    for (const Bookmark& bookmark : bookmarks) {
        if (bookmark.href == href)
            return &bookmark;
    }
    return nullptr;
}

// A list written by another program, with one entry of its own.
const QByteArray kForeignList =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<xbel version=\"1.0\"\n"
    "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
    "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
    "  <bookmark href=\"file:///srv/other/notes.txt\" added=\"2023-01-02T03:04:05Z\" "
    "modified=\"2023-01-02T03:04:05Z\" visited=\"2023-01-02T03:04:05Z\">\n"
    "    <info>\n"
    "      <metadata owner=\"http://freedesktop.org\">\n"
    "        <mime:mime-type type=\"text/plain\"/>\n"
    "        <bookmark:applications>\n"
    "          <bookmark:application name=\"gedit\" exec=\"&apos;gedit %u&apos;\" "
    "modified=\"2023-01-02T03:04:05Z\" count=\"7\"/>\n"
    "        </bookmark:applications>\n"
    "      </metadata>\n"
    "    </info>\n"
    "  </bookmark>\n"
    "</xbel>\n";

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class RecentDocumentsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void addWritesEntryOtherReadersUnderstand();
    void listsOwnExistingEntriesNewestFirst();
    void refusedWriteLeavesTheListAsItWas_data();
    void refusedWriteLeavesTheListAsItWas();

private:
    QString documentAt(const QString& name);
    QString listPath() const { return m_dataHome + QStringLiteral("/recently-used.xbel"); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_dataHome;
    QByteArray m_savedHome;
    QByteArray m_savedDataHome;
};

void RecentDocumentsTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_savedHome = qgetenv("HOME");
    m_savedDataHome = qgetenv("XDG_DATA_HOME");
    // The folder does not exist yet: the first add creates it.
    m_dataHome = m_dir->filePath(QStringLiteral("data"));
    qputenv("HOME", m_dir->path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", m_dataHome.toLocal8Bit());
}

void RecentDocumentsTest::cleanup()
{
    qputenv("HOME", m_savedHome);
    qputenv("XDG_DATA_HOME", m_savedDataHome);
    m_dir.reset();
}

QString RecentDocumentsTest::documentAt(const QString& name)
{
    const QString path = m_dir->filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    writeFile(path, "{\\rtf1 x}");
    return path;
}

void RecentDocumentsTest::addWritesEntryOtherReadersUnderstand()
{
    // A name that needs escaping in a URI.
    const QString path = documentAt(QStringLiteral("my notes & ideas #1.rtf"));
    QVERIFY(addRecentDocument(path).ok());
    QVERIFY(addRecentDocument(path).ok());

    const QList<Bookmark> bookmarks = parseXbel(listPath());
    QCOMPARE(bookmarks.size(), 1);
    const Bookmark* entry = find(bookmarks, path);
    QVERIFY(entry);
    QCOMPARE(entry->mimeType, QStringLiteral("application/rtf"));
    QCOMPARE(entry->applications.size(), 1);
    const QStringList app = entry->applications.first().split(QLatin1Char('|'));
    QCOMPARE(app.at(0), QStringLiteral("Velko"));
    QVERIFY2(app.at(1).contains(QLatin1String("velko")) && app.at(1).contains(QLatin1String("%u")),
             qPrintable(app.at(1)));
    QCOMPARE(app.at(2), QStringLiteral("2"));

    struct stat info;
    QCOMPARE(::stat(QFile::encodeName(listPath()).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0600u);
    // Nothing but the list is left beside it (no temporary files).
    const QStringList left = QDir(m_dataHome).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left, QStringList{QStringLiteral("recently-used.xbel")});
}

void RecentDocumentsTest::listsOwnExistingEntriesNewestFirst()
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
    const QList<Bookmark> bookmarks = parseXbel(listPath());
    QCOMPARE(bookmarks.size(), 4);
    const Bookmark* foreign = find(bookmarks, QStringLiteral("/srv/other/notes.txt"));
    QVERIFY(foreign);
    QCOMPARE(foreign->mimeType, QStringLiteral("text/plain"));
    QCOMPARE(foreign->applications, QStringList{QStringLiteral("gedit|'gedit %u'|7")});

    // Using a document again moves it to the front; a vanished one is not
    // offered, but its entry stays in the shared list.
    QVERIFY(addRecentDocument(a).ok());
    QVERIFY(QFile::remove(b));
    QCOMPARE(recentDocuments(), (QStringList{a, c}));
    QVERIFY(find(parseXbel(listPath()), b));
}

void RecentDocumentsTest::refusedWriteLeavesTheListAsItWas_data()
{
    QTest::addColumn<bool>("locked"); // else damaged
    QTest::addColumn<int>("code");
    QTest::newRow("another program holds the lock") << true << int(ErrorCode::FileWrite);
    QTest::newRow("damaged list") << false << int(ErrorCode::FileRead);
}

void RecentDocumentsTest::refusedWriteLeavesTheListAsItWas()
{
    QFETCH(bool, locked);
    QFETCH(int, code);
    QVERIFY(QDir().mkpath(m_dataHome));
    // An empty file is an empty list, not a damaged one.
    QVERIFY(writeFile(listPath(), QByteArray()));
    const QString first = documentAt(QStringLiteral("first.rtf"));
    QVERIFY(addRecentDocument(first).ok());
    if (!locked)
        QVERIFY(writeFile(listPath(), kForeignList.left(kForeignList.size() / 2)));
    const QByteArray before = readFile(listPath());

    QLockFile held(listPath() + QStringLiteral(".lock"));
    QVERIFY(!locked || held.tryLock(0));
    const Status status = addRecentDocument(documentAt(QStringLiteral("second.rtf")));
    QVERIFY(!status.ok());
    QCOMPARE(int(status.error().code), code);
    QCOMPARE(readFile(listPath()), before);
    if (!locked) {
        QCOMPARE(recentDocuments(), QStringList());
        return;
    }
    held.unlock();
    QVERIFY(addRecentDocument(documentAt(QStringLiteral("second.rtf"))).ok());
    QCOMPARE(recentDocuments().size(), 2);
}

QTEST_GUILESS_MAIN(RecentDocumentsTest)
#include "tst_recentdocuments.moc"
