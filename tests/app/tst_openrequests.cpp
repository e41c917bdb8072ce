// How a handed-over file is sorted, and how launch arguments become open
// requests.
#include "testfiles.h"

#include "app/commandline.h"
#include "core/documentkind.h"
#include "core/nativepath.h"

#include <QTest>

using namespace velko;

class OpenRequestsTest : public QObject
{
    Q_OBJECT

private slots:
    // By name, but not a folder's name, or by content, on disk too.
    void kindOfPath()
    {
        const QByteArray rtf = "{\\rtf1\\ansi hello}";
        QCOMPARE(documentKindOf("/home/a/NOTE.SRTF", {}), DocumentKind::Secure);
        QCOMPARE(documentKindOf("/home/a/old.srtf/letter.rtf", rtf), DocumentKind::Plain);
        QCOMPARE(documentKindOf("/home/a/renamed.rtf", "U2FsdGVkX1+abc"), DocumentKind::Secure);
        QCOMPARE(documentKindOf("/home/a/quoted.rtf", " U2FsdGVkX1"), DocumentKind::Plain);
        testsupport::TempHome home;
        const QString renamed = home.filePath("letter.rtf");
        QVERIFY(testsupport::writeFile(renamed, "U2FsdGVkX19hYmNkZWZnaA==\n"));
        QCOMPARE(documentKindOfFile(renamed), DocumentKind::Secure);
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("paths");

        QTest::newRow("relative paths, in order")
            << QStringList{"velko", "b.rtf", "sub/../a.srtf", "./c"}
            << QStringList{"/work/dir/b.rtf", "/work/dir/a.srtf", "/work/dir/c"};
        // A byte that is not UTF-8 stays that byte.
        QTest::newRow("file URLs")
            << QStringList{"velko", "file:///tmp/caf%C3%A9.srtf", "file://localhost/tmp/caf%E9"}
            << QStringList{QStringLiteral("/tmp/café.srtf"), pathFromNative("/tmp/caf\xe9")};
        QTest::newRow("name starting with a dash after --")
            << QStringList{"velko", "--", "-odd.rtf"} << QStringList{"/work/dir/-odd.rtf"};
        QTest::newRow("an unknown option opens nothing")
            << QStringList{"velko", "--frobnicate", "a.rtf"} << QStringList{};
    }

    // Launch arguments become absolute paths in order; no paths: an error.
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, paths);
        const CommandLine parsed = parseCommandLine(arguments, QStringLiteral("/work/dir"));
        QCOMPARE(parsed.error.isEmpty(), !paths.isEmpty());
        QCOMPARE(parsed.paths, paths);
    }

    // Paths to URIs and back, bytes kept; only local files are opened.
    void urisRoundTrip()
    {
        const QStringList paths{QStringLiteral("/tmp/a b.rtf"), QStringLiteral("/tmp/ünï #1.srtf"),
                                pathFromNative("/tmp/\xff%.rtf")};
        const QStringList uris = urisOfPaths(paths);
        QCOMPARE(localPathsOfUris(uris), paths);
        QCOMPARE(localPathsOfUris({"https://example.org/x.rtf", uris.at(0)}), paths.mid(0, 1));
    }
};

QTEST_MAIN(OpenRequestsTest)
#include "tst_openrequests.moc"
