// Files handed over by the desktop: how each is sorted, how launch arguments
// become open requests, the plain path and the unlock-on-open window.
#include "testsupport.h"

#include "app/commandline.h"
#include "core/cipheroption.h"
#include "core/desktop/recentdocuments.h"
#include "core/documentkind.h"
#include "core/nativepath.h"

#include <QComboBox>
#include <QDir>

using namespace velko;
using namespace testsupport;

namespace {

// The window, with files handed to it as the desktop would.
struct Fixture
{
    TempHome home;
    std::unique_ptr<Layout> layout = makeDocumentWindow();
    AppController* controller = layout->appController;
    DocumentState& state = *layout->state;
    QWidget* unlockWindow = controller->windowUnlockFileWithKeyword;

    bool unlockWindowShown() const
    {
        return isChildWindowAttached(layout->mainWindow.get(), unlockWindow) &&
               unlockWindow->isVisible();
    }
    // A file holding "Secret text", locked with `cipher` and `keyword`.
    QString lock(const QString& name, const QString& cipher = kCipherDes3,
                 const QString& keyword = QStringLiteral("k"))
    {
        const QString path = home.filePath(name);
        const QByteArray rtf = "{\\rtf1\\ansi Secret {\\b text}\\par}";
        if (!layout->engine->pipeline.encipher(rtf, cipher, keyword.toUtf8(), path))
            qWarning("locking %s failed", qPrintable(path));
        return path;
    }
    QString plainFile(const QString& name)
    {
        const QString path = home.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        writeFile(path, "{\\rtf1\\ansi Plain letter\\par}");
        return path;
    }
    void pressOK(const QString& keyword = QStringLiteral("k"))
    {
        controller->fieldKeyWord->setText(keyword);
        button(unlockWindow, "btnOpenLockedFileOK")->click();
    }
    QString text() const { return layout->engine->VelkoField->toPlainText().trimmed(); }
};

} // namespace

class UnlockOnOpenTest : public QObject
{
    Q_OBJECT

private slots:
    // The window shows for the latest secure request (by name, even of no file,
    // or by content) and nothing else changes until OK; plain files load
    // meanwhile. After a wrong keyword OK opens it with any cipher: clean,
    // secure, off the recent list, the window keeping its own choice.
    void requestsShowTheWindowAndOkUnlocks()
    {
        Fixture f;
        const QString secure = f.lock("renamed.rtf", kCipherDes3, "kéy 1");
        const QString plain = f.plainFile("old.srtf/letter.rtf");
        // Secure output shown; the document window's cipher plays no part.
        f.layout->engine->selectCipher(kCipherRc4);
        f.layout->engine->VelkoField->setPlainTextFromCode("U2FsdGVkX1...");
        f.layout->engine->VelkoField->setReadOnly(true);
        f.state.isLastSavedASecureFile = f.state.textColorSetToOrangeAfterEncryption = true;
        f.controller->fieldKeyWord->setText("kept");
        const QStringList before = snapshotOf(*f.layout);

        QVERIFY(f.controller->application(qApp, f.home.filePath("Report.SRTF")));
        QVERIFY(f.unlockWindowShown());
        QCOMPARE(f.controller->fieldKeyWord->text(), "kept");
        QCOMPARE(snapshotOf(*f.layout), before);
        QVERIFY(f.controller->application(qApp, secure));
        QCOMPARE(f.unlockWindow->windowTitle(), secure);
        QVERIFY(f.controller->application(qApp, plain));
        QCOMPARE(f.text(), "Plain letter");
        QCOMPARE(f.state.fileName, plain);
        QCOMPARE(flagsOf(*f.layout), "clean plain");
        QVERIFY(recentDocuments().contains(plain));
        QCOMPARE(QDir::currentPath(), QDir(f.home.path()).canonicalPath());
        QCOMPARE(f.unlockWindow->windowTitle(), secure);

        f.layout->engine->VelkoField->setReadOnly(true);
        f.state.textColorSetToOrangeAfterEncryption = true;
        f.controller->btnPopUpButtonOpen->setCurrentIndex(3);
        emit f.controller->btnPopUpButtonOpen->activated(3); // RC4
        f.pressOK("wrong");
        QVERIFY(!takeAlertText().isEmpty());
        f.pressOK("kéy 1");
        QVERIFY(!QApplication::activeModalWidget() && !f.unlockWindowShown());
        QCOMPARE(f.text(), "Secret text");
        QCOMPARE(f.state.fileName, secure);
        QCoreApplication::processEvents(); // nothing put in by code is an edit
        QCOMPARE(flagsOf(*f.layout), "clean secure");
        QVERIFY(f.controller->fieldKeyWord->text().isEmpty());
        QCOMPARE(f.state.selectedCipher, kCipherRc4);
        QCOMPARE(f.state.cipher, kCipherDes3);
        QCOMPARE(recentDocuments(), QStringList{plain});
    }

    // "Open anyway" replaces unsaved edits, plain or secure (calling it off is in
    // the table of commands that change nothing).
    void unsavedEditsAreAskedAbout()
    {
        for (const bool secure : {false, true}) {
            Fixture f;
            const QString path = secure ? f.lock("s.srtf") : f.plainFile("p.rtf");
            typeIntoView(*f.layout, "unsaved words");
            f.controller->application(qApp, path);
            if (secure)
                f.pressOK();
            QVERIFY(clickAlertButton(waitForAlert(), "Open anyway"));
            QTRY_COMPARE(f.state.fileName, path);
            QCOMPARE(flagsOf(*f.layout), secure ? "clean secure" : "clean plain");
            QCOMPARE(f.text(), secure ? "Secret text" : "Plain letter");
        }
    }

    // Cancel ends an editor the file started, after asking when there are
    // unsaved edits; an editor that was running (a later launch, or its own Open
    // panel) only closes the window and keeps its document.
    void cancelEndsApplication()
    {
        for (const bool edited : {false, true}) {
            for (const bool running : {false, true}) {
                Fixture f;
                QSignalSpy terminate(f.controller, &AppController::terminateRequested);
                if (edited)
                    typeIntoView(*f.layout, "draft");
                const QString path = f.lock("x.srtf");
                if (running) {
                    f.layout->engine->btnOpenAction();
                    if (edited)
                        QVERIFY(clickAlertButton(waitForAlert(), "Open anyway"));
                    acceptPanel(waitForPanel(), path); // Open offers secure documents too
                } else {
                    f.controller->application(qApp, path);
                }
                QVERIFY(f.unlockWindowShown());
                button(f.unlockWindow, "btnOpenLockedFileCancel")->click();
                if (edited && !running)
                    QVERIFY(clickAlertButton(waitForAlert(), "OK"));
                QCOMPARE(terminate.size(), running ? 0 : 1);
                QVERIFY(!running || !f.unlockWindowShown());
                QVERIFY(!running || f.text().endsWith(edited ? "draft" : ""));
            }
        }
    }

    // By name, but not a folder's name, or by content, on disk too.
    void kindOfPath()
    {
        const QByteArray rtf = "{\\rtf1\\ansi hello}";
        QCOMPARE(documentKindOf("/home/a/NOTE.SRTF", {}), DocumentKind::Secure);
        QCOMPARE(documentKindOf("/home/a/old.srtf/letter.rtf", rtf), DocumentKind::Plain);
        QCOMPARE(documentKindOf("/home/a/renamed.rtf", "U2FsdGVkX1+abc"), DocumentKind::Secure);
        QCOMPARE(documentKindOf("/home/a/quoted.rtf", " U2FsdGVkX1"), DocumentKind::Plain);
        TempHome home;
        const QString renamed = home.filePath("letter.rtf");
        QVERIFY(writeFile(renamed, "U2FsdGVkX19hYmNkZWZnaA==\n"));
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

QTEST_MAIN(UnlockOnOpenTest)
#include "tst_unlockonopen.moc"
