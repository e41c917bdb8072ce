// How a handed-over file is sorted, and how launch arguments become open
// requests.
#include "testsupport.h"

#include "app/commandline.h"
#include "app/documentkind.h"

#include <QDir>
#include <QTest>

using namespace velko;

Q_DECLARE_METATYPE(velko::DocumentKind)

class OpenRequestsTest : public QObject
{
    Q_OBJECT

private slots:
    void kindOfPath_data();
    void kindOfPath();
    void kindOfFileOnDisk();
    void commandLine_data();
    void commandLine();
    void commandLineOptions();
    void urisRoundTrip();
};

void OpenRequestsTest::kindOfPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<DocumentKind>("kind");

    const QByteArray rtf = "{\\rtf1\\ansi hello}";
    const QByteArray secure = "U2FsdGVkX1+abc";
    QTest::newRow("lower-case extension")
        << "/home/a/note.srtf" << QByteArray() << DocumentKind::Secure;
    QTest::newRow("capital extension")
        << "/home/a/NOTE.SRTF" << QByteArray() << DocumentKind::Secure;
    QTest::newRow("mixed-case extension") << "/home/a/Note.SrTf" << rtf << DocumentKind::Secure;
    QTest::newRow("plain file in folder named like a secure file")
        << "/home/a/old.srtf/letter.rtf" << rtf << DocumentKind::Plain;
    QTest::newRow("name merely containing the extension")
        << "/home/a/notes.srtfx" << rtf << DocumentKind::Plain;
    QTest::newRow("srtf without the dot") << "/home/a/mysrtf.rtf" << rtf << DocumentKind::Plain;
    QTest::newRow("magic without the extension")
        << "/home/a/renamed.rtf" << secure << DocumentKind::Secure;
    QTest::newRow("magic, no extension at all")
        << "/home/a/renamed" << secure << DocumentKind::Secure;
    QTest::newRow("magic not at the start")
        << "/home/a/quoted.rtf" << QByteArray(" U2FsdGVkX1") << DocumentKind::Plain;
    QTest::newRow("magic cut short")
        << "/home/a/short" << QByteArray("U2FsdGVkX") << DocumentKind::Plain;
    QTest::newRow("unreadable plain name")
        << "/nowhere/x.rtf" << QByteArray() << DocumentKind::Plain;
}

void OpenRequestsTest::kindOfPath()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, content);
    QFETCH(DocumentKind, kind);
    QCOMPARE(documentKindOf(path, content), kind);
}

void OpenRequestsTest::kindOfFileOnDisk()
{
    testsupport::TempHome home;
    QDir(home.path()).mkpath(QStringLiteral("old.srtf"));
    const QString inSecureFolder = home.filePath(QStringLiteral("old.srtf/letter.rtf"));
    const QString renamed = home.filePath(QStringLiteral("letter.rtf"));
    QVERIFY(testsupport::writeFile(inSecureFolder, "{\\rtf1 hi}"));
    QVERIFY(testsupport::writeFile(renamed, "U2FsdGVkX19hYmNkZWZnaA==\n"));
    QCOMPARE(documentKindOfFile(inSecureFolder), DocumentKind::Plain);
    QCOMPARE(documentKindOfFile(renamed), DocumentKind::Secure);
    QCOMPARE(documentKindOfFile(home.filePath(QStringLiteral("missing.SRTF"))),
             DocumentKind::Secure);
}

void OpenRequestsTest::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("paths");

    QTest::newRow("none") << QStringList{"velko"} << QStringList{};
    QTest::newRow("relative paths, in order")
        << QStringList{"velko", "b.rtf", "sub/../a.srtf", "./c"}
        << QStringList{"/work/dir/b.rtf", "/work/dir/a.srtf", "/work/dir/c"};
    QTest::newRow("absolute path kept")
        << QStringList{"velko", "/tmp/x y.rtf"} << QStringList{"/tmp/x y.rtf"};
    QTest::newRow("file URL") << QStringList{"velko", "file:///tmp/caf%C3%A9.srtf"}
                              << QStringList{QStringLiteral("/tmp/café.srtf")};
    QTest::newRow("name starting with a dash after --")
        << QStringList{"velko", "--", "-odd.rtf"} << QStringList{"/work/dir/-odd.rtf"};
}

void OpenRequestsTest::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, paths);
    const CommandLine parsed = parseCommandLine(arguments, QStringLiteral("/work/dir"));
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    QCOMPARE(parsed.paths, paths);
    QVERIFY(!parsed.showHelp && !parsed.showVersion);
}

void OpenRequestsTest::commandLineOptions()
{
    QVERIFY(parseCommandLine({"velko", "--help"}, "/").showHelp);
    QVERIFY(parseCommandLine({"velko", "--version"}, "/").showVersion);
    const CommandLine unknown = parseCommandLine({"velko", "--frobnicate", "a.rtf"}, "/");
    QVERIFY(!unknown.error.isEmpty());
    QVERIFY(unknown.paths.isEmpty());
}

void OpenRequestsTest::urisRoundTrip()
{
    const QStringList paths{QStringLiteral("/tmp/a b.rtf"), QStringLiteral("/tmp/ünï #1.srtf")};
    const QStringList uris = urisOfPaths(paths);
    QVERIFY(uris.at(0).startsWith(QLatin1String("file:///tmp/a%20b.rtf")));
    QCOMPARE(localPathsOfUris(uris), paths);
    // Only local files are opened.
    QCOMPARE(localPathsOfUris({"https://example.org/x.rtf", uris.at(0)}), paths.mid(0, 1));
}

QTEST_MAIN(OpenRequestsTest)
#include "tst_openrequests.moc"
