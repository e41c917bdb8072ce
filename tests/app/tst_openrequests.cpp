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
    void kindOfPath()
    {
        const QByteArray rtf = "{\\rtf1\\ansi hello}";
        const QByteArray secure = "U2FsdGVkX1+abc";
        QCOMPARE(documentKindOf("/home/a/NOTE.SRTF", {}), DocumentKind::Secure);
        // A folder named like a secure file does not make its contents secure.
        QCOMPARE(documentKindOf("/home/a/old.srtf/letter.rtf", rtf), DocumentKind::Plain);
        QCOMPARE(documentKindOf("/home/a/renamed.rtf", secure), DocumentKind::Secure);
        QCOMPARE(documentKindOf("/home/a/quoted.rtf", " U2FsdGVkX1"), DocumentKind::Plain);
    }

    void kindOfFileOnDisk()
    {
        testsupport::TempHome home;
        const QString renamed = home.filePath(QStringLiteral("letter.rtf"));
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

    // No paths: an error.
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, paths);
        const CommandLine parsed = parseCommandLine(arguments, QStringLiteral("/work/dir"));
        QCOMPARE(parsed.error.isEmpty(), !paths.isEmpty());
        QCOMPARE(parsed.paths, paths);
    }

    void urisRoundTrip()
    {
        const QStringList paths{QStringLiteral("/tmp/a b.rtf"), QStringLiteral("/tmp/ünï #1.srtf"),
                                pathFromNative("/tmp/\xff%.rtf")};
        const QStringList uris = urisOfPaths(paths);
        QCOMPARE(localPathsOfUris(uris), paths);
        // Only local files are opened.
        QCOMPARE(localPathsOfUris({"https://example.org/x.rtf", uris.at(0)}), paths.mid(0, 1));
    }
};

QTEST_MAIN(OpenRequestsTest)
#include "tst_openrequests.moc"
