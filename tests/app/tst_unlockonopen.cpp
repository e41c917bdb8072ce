// Files handed over by the desktop: the plain path and the unlock-on-open window.
#include "testsupport.h"

#include "core/cipheroption.h"
#include "core/desktop/recentdocuments.h"

#include <QComboBox>
#include <QDir>

using namespace velko;
using namespace testsupport;

namespace {

struct Fixture
{
    TempHome home;
    std::unique_ptr<Layout> layout = makeDocumentWindow();
    AppController* controller = layout->appController;
    DocumentState& state = *layout->state;
    VelkoTextView* view = layout->engine->VelkoField;

    QWidget* unlockWindow() const { return controller->windowUnlockFileWithKeyword; }
    bool unlockWindowShown() const
    {
        return isChildWindowAttached(layout->mainWindow.get(), unlockWindow()) &&
               unlockWindow()->isVisible();
    }
    QString lock(const QString& name, const QString& cipher, const QString& keyword)
    {
        const QString path = home.filePath(name);
        if (!layout->engine->pipeline.encipher("{\\rtf1\\ansi Secret {\\b text}\\par}", cipher,
                                               keyword.toUtf8(), path))
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
    void pressOK(const QString& keyword)
    {
        controller->fieldKeyWord->setText(keyword);
        button(unlockWindow(), "btnOpenLockedFileOK")->click();
    }
    QString text() const { return view->toPlainText().trimmed(); }
};

} // namespace

class UnlockOnOpenTest : public QObject
{
    Q_OBJECT

private slots:
    void okLeavesUnlockState();
    void secureRequestsShowTheWindowOnly();
    void unsavedEditsAreAskedAbout_data();
    void unsavedEditsAreAskedAbout();
    void cancelEndsApplication();
};

// Locked with another cipher than the window's choice: found anyway. A wrong
// keyword first leaves the window ready for the next try.
void UnlockOnOpenTest::okLeavesUnlockState()
{
    Fixture f;
    const QString path =
        f.lock(QStringLiteral("renamed.rtf"), kCipherDes3, QStringLiteral("kéy 1"));
    // Secure output shown, read-only; the document window's cipher plays no part.
    f.layout->engine->selectCipher(kCipherRc4);
    f.view->setPlainTextFromCode(QStringLiteral("U2FsdGVkX1..."));
    f.view->setReadOnly(true);
    f.state.textColorSetToOrangeAfterEncryption = true;

    QVERIFY(f.controller->application(qApp, path)); // secure by its content
    QVERIFY(f.unlockWindowShown());
    f.controller->btnPopUpButtonOpen->setCurrentIndex(3);
    emit f.controller->btnPopUpButtonOpen->activated(3); // RC4
    f.pressOK(QStringLiteral("wrong"));
    QVERIFY(!takeAlertText().isEmpty());
    f.pressOK(QStringLiteral("kéy 1"));

    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(f.text(), QStringLiteral("Secret text"));
    QCOMPARE(f.state.fileName, path);
    QCoreApplication::processEvents(); // nothing put in by code is an edit
    QCOMPARE(flagsOf(*f.layout), "clean secure");
    QVERIFY(!f.unlockWindowShown());
    QVERIFY(f.controller->fieldKeyWord->text().isEmpty());
    // The window keeps its choice; the document window takes the one that opened the file.
    QCOMPARE(f.state.selectedCipher, kCipherRc4);
    QCOMPARE(f.state.cipher, kCipherDes3);
    QVERIFY(recentDocuments().isEmpty());
}

// The window shows for the latest secure request; nothing else changes
// until OK.
void UnlockOnOpenTest::secureRequestsShowTheWindowOnly()
{
    Fixture f;
    // Capital extension, file not even present: still the secure path.
    const QString first = f.home.filePath(QStringLiteral("Report.SRTF"));
    const QString second = f.lock(QStringLiteral("second.srtf"), kCipherDes3, QStringLiteral("k"));
    // A plain file inside a folder whose name looks like a secure file.
    const QString plain = f.plainFile(QStringLiteral("old.srtf/letter.rtf"));
    f.controller->fieldKeyWord->setText(QStringLiteral("kept"));
    const QStringList before = snapshotOf(*f.layout);

    QVERIFY(f.controller->application(qApp, first));
    QVERIFY(f.unlockWindowShown());
    QCOMPARE(f.controller->fieldKeyWord->text(), QStringLiteral("kept"));
    QCOMPARE(snapshotOf(*f.layout), before);
    f.controller->application(qApp, second);
    QCOMPARE(f.unlockWindow()->windowTitle(), second);
    // A plain file arriving meanwhile loads as plain, and the window keeps
    // its file.
    f.state.isLastSavedASecureFile = true;
    f.view->setReadOnly(true);
    QVERIFY(f.controller->application(qApp, plain));
    QCOMPARE(f.text(), QStringLiteral("Plain letter"));
    QCOMPARE(f.state.fileName, plain);
    QCOMPARE(flagsOf(*f.layout), "clean plain");
    QVERIFY(recentDocuments().contains(plain));
    QCOMPARE(QDir::currentPath(), QDir(f.home.path()).canonicalPath());
    QCOMPARE(f.unlockWindow()->windowTitle(), second);

    f.pressOK(QStringLiteral("k"));
    QVERIFY(!f.unlockWindowShown());
    QCOMPARE(f.text(), QStringLiteral("Secret text"));
}

void UnlockOnOpenTest::unsavedEditsAreAskedAbout_data()
{
    QTest::addColumn<bool>("secure");
    QTest::newRow("plain") << false;
    QTest::newRow("secure, on OK") << true;
}

// "Open anyway" replaces the edits (calling it off is in the table of
// commands that change nothing).
void UnlockOnOpenTest::unsavedEditsAreAskedAbout()
{
    QFETCH(bool, secure);
    Fixture f;
    const QString path = secure ? f.lock(QStringLiteral("s.srtf"), kCipherDes3, QStringLiteral("k"))
                                : f.plainFile(QStringLiteral("p.rtf"));
    typeIntoView(*f.layout, QStringLiteral("unsaved words"));
    f.controller->application(qApp, path);
    if (secure)
        f.pressOK(QStringLiteral("k"));
    QVERIFY(clickAlertButton(waitForAlert(), QStringLiteral("Open anyway")));
    QTRY_COMPARE(f.state.fileName, path);
    QCOMPARE(flagsOf(*f.layout), secure ? "clean secure" : "clean plain");
    QCOMPARE(f.text(), secure ? QStringLiteral("Secret text") : QStringLiteral("Plain letter"));
}

// Cancel ends an editor the file started, after asking when there are
// unsaved edits; an editor that was running (a later launch, or its own Open
// panel) only closes the window and keeps its document.
void UnlockOnOpenTest::cancelEndsApplication()
{
    for (const bool edited : {false, true}) {
        for (const bool running : {false, true}) {
            Fixture f;
            QSignalSpy terminate(f.controller, &AppController::terminateRequested);
            if (edited)
                typeIntoView(*f.layout, QStringLiteral("draft"));
            const QString path = f.lock(QStringLiteral("x.srtf"), kCipherDes3, QStringLiteral("k"));
            if (running) {
                f.layout->engine->btnOpenAction();
                if (edited)
                    QVERIFY(clickAlertButton(waitForAlert(), QStringLiteral("Open anyway")));
                acceptPanel(waitForPanel(), path); // Open offers secure documents too
            } else {
                f.controller->application(qApp, path);
            }
            QVERIFY(f.unlockWindowShown());
            button(f.unlockWindow(), "btnOpenLockedFileCancel")->click();
            if (edited && !running)
                QVERIFY(clickAlertButton(waitForAlert(), QStringLiteral("OK")));
            QCOMPARE(terminate.size(), running ? 0 : 1);
            if (running) {
                QVERIFY(!f.unlockWindowShown());
                QVERIFY(f.text().endsWith(edited ? QStringLiteral("draft") : QString()));
            }
        }
    }
}

QTEST_MAIN(UnlockOnOpenTest)
#include "tst_unlockonopen.moc"
