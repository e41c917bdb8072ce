// Files handed over by the desktop: the plain path and the unlock-on-open window.
#include "../engine/secure_fixture.h"

#include "app/appcontroller.h"
#include "core/desktop/recentdocuments.h"

#include <QDir>
#include <QSignalSpy>

using namespace velko;
using securetest::Snapshot;
using securetest::snapshotOf;

namespace {

const QByteArray kSecretRtf = "{\\rtf1\\ansi Secret {\\b text}\\par}";
const QByteArray kPlainRtf = "{\\rtf1\\ansi Plain letter\\par}";

struct Fixture
{
    testsupport::TempHome home;
    std::unique_ptr<Layout> layout = testsupport::makeDocumentWindow();
    AppController* controller = layout->appController;
    DocumentState& state = *layout->state;

    Fixture() { securetest::useRealPipeline(*layout); }

    QWidget* unlockWindow() const { return controller->windowUnlockFileWithKeyword; }
    bool unlockWindowShown() const
    {
        return isChildWindowAttached(layout->mainWindow.get(), unlockWindow()) &&
               unlockWindow()->isVisible();
    }
    QString lock(const QString& name, const QString& cipher, const QString& keyword)
    {
        const QString path = home.filePath(name);
        if (!layout->engine->pipeline.encipher(kSecretRtf, cipher, keyword.toUtf8(), path))
            qWarning("locking %s failed", qPrintable(path));
        return path;
    }
    QString plainFile(const QString& name, const QByteArray& data = kPlainRtf)
    {
        const QString path = home.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        testsupport::writeFile(path, data);
        return path;
    }
    void pressOK(const QString& keyword)
    {
        controller->fieldKeyWord->setText(keyword);
        unlockWindow()->findChild<QPushButton*>(QStringLiteral("btnOpenLockedFileOK"))->click();
    }
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
    void failedRequestChangesNothing_data();
    void failedRequestChangesNothing();
};

// Locked with another cipher than the window's choice: found anyway.
void UnlockOnOpenTest::okLeavesUnlockState()
{
    Fixture f;
    const QString path =
        f.lock(QStringLiteral("renamed.rtf"), kCipherDes3, QStringLiteral("kéy 1"));
    // Secure output shown, read-only; the document window's cipher plays no part.
    f.layout->engine->selectCipher(kCipherRc4);
    f.layout->engine->VelkoField->setPlainTextFromCode(QStringLiteral("U2FsdGVkX1..."));
    f.layout->engine->VelkoField->setReadOnly(true);
    f.state.textColorSetToOrangeAfterEncryption = true;

    QVERIFY(f.controller->application(qApp, path)); // secure by its content
    QVERIFY(f.unlockWindowShown());
    f.controller->btnPopUpButtonOpen->setCurrentIndex(3);
    emit f.controller->btnPopUpButtonOpen->activated(3); // RC4
    f.pressOK(QStringLiteral("kéy 1"));

    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(f.layout->engine->VelkoField->toPlainText().trimmed(), QStringLiteral("Secret text"));
    QCOMPARE(f.state.fileName, path);
    QVERIFY(f.state.isLastSavedASecureFile);
    QVERIFY(!f.state.textColorSetToOrangeAfterEncryption);
    QVERIFY(!f.layout->engine->VelkoField->isReadOnly());
    QVERIFY(f.controller->fieldKeyWord->text().isEmpty());
    // The window keeps its choice; the document window takes the one that opened the file.
    QCOMPARE(f.state.selectedCipher, kCipherRc4);
    QCOMPARE(f.state.cipher, kCipherDes3);
    QCoreApplication::processEvents(); // nothing put in by code is an edit
    QVERIFY(!f.state.textChanged);
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
    const Snapshot before = snapshotOf(*f.layout);

    QVERIFY(f.controller->application(qApp, first));
    QVERIFY(f.unlockWindowShown());
    QCOMPARE(f.controller->fieldKeyWord->text(), QStringLiteral("kept"));
    QCOMPARE(snapshotOf(*f.layout), before);
    f.controller->application(qApp, second);
    QCOMPARE(f.unlockWindow()->windowTitle(), second);
    // A plain file arriving meanwhile loads as plain, and the window keeps
    // its file.
    f.state.isLastSavedASecureFile = true;
    f.layout->engine->VelkoField->setReadOnly(true);
    QVERIFY(f.controller->application(qApp, plain));
    QCOMPARE(f.layout->engine->VelkoField->toPlainText().trimmed(), QStringLiteral("Plain letter"));
    QCOMPARE(f.state.fileName, plain);
    QVERIFY(!f.state.isLastSavedASecureFile);
    QVERIFY(!f.layout->engine->VelkoField->isReadOnly());
    QVERIFY(recentDocuments().contains(plain));
    QCOMPARE(QDir::currentPath(), QDir(f.home.path()).canonicalPath());
    QCOMPARE(f.unlockWindow()->windowTitle(), second);

    f.pressOK(QStringLiteral("k"));
    QVERIFY(!f.unlockWindowShown());
    QCOMPARE(f.layout->engine->VelkoField->toPlainText().trimmed(), QStringLiteral("Secret text"));
}

void UnlockOnOpenTest::unsavedEditsAreAskedAbout_data()
{
    QTest::addColumn<bool>("secure");
    QTest::addColumn<QString>("answer");
    QTest::newRow("plain, Cancel") << false << QStringLiteral("Cancel");
    QTest::newRow("OK, Cancel") << true << QStringLiteral("Cancel");
    QTest::newRow("OK, Open anyway") << true << QStringLiteral("Open anyway");
}

void UnlockOnOpenTest::unsavedEditsAreAskedAbout()
{
    QFETCH(bool, secure);
    QFETCH(QString, answer);
    Fixture f;
    const QString path = secure ? f.lock(QStringLiteral("s.srtf"), kCipherDes3, QStringLiteral("k"))
                                : f.plainFile(QStringLiteral("p.rtf"));
    securetest::typeIntoView(*f.layout, QStringLiteral("unsaved words"));
    const Snapshot before = snapshotOf(*f.layout);

    f.controller->application(qApp, path);
    if (secure)
        f.pressOK(QStringLiteral("k"));
    QVERIFY(testsupport::clickAlertButton(testsupport::waitForAlert(), answer));
    QTest::qWait(20);

    if (answer == QLatin1String("Cancel")) {
        QVERIFY(snapshotOf(*f.layout) == before);
        QCOMPARE(f.unlockWindowShown(), secure);
        return;
    }
    QCOMPARE(f.state.fileName, path);
    QCOMPARE(f.state.isLastSavedASecureFile, secure);
    QVERIFY(!f.layout->engine->VelkoField->toPlainText().contains(QLatin1String("unsaved")));
}

// Cancel ends the application, after asking when there are unsaved edits.
void UnlockOnOpenTest::cancelEndsApplication()
{
    Fixture f;
    QSignalSpy terminate(f.controller, &AppController::terminateRequested);
    securetest::typeIntoView(*f.layout, QStringLiteral("draft"));
    f.controller->application(qApp, f.home.filePath(QStringLiteral("x.srtf")));
    auto* cancel =
        f.unlockWindow()->findChild<QPushButton*>(QStringLiteral("btnOpenLockedFileCancel"));
    cancel->click();
    QVERIFY(testsupport::clickAlertButton(testsupport::waitForAlert(), QStringLiteral("Cancel")));
    QTest::qWait(20);
    QCOMPARE(terminate.size(), 0);
    QVERIFY(f.unlockWindowShown());
    QCOMPARE(f.layout->engine->VelkoField->toPlainText(), QStringLiteral("draft"));

    f.state.textChanged = false; // as after a save: no question
    cancel->click();
    QCOMPARE(terminate.size(), 1);
}

void UnlockOnOpenTest::failedRequestChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // null: no file at all
    QTest::addColumn<QString>("keyword");    // null: a plain file, no OK
    const QByteArray locked = "<locked with 'right'>";
    QTest::newRow("wrong keyword") << "a.srtf" << locked << QString("wrong");
    QTest::newRow("damaged file") << "a.srtf" << QByteArray("U2FsdGVkX1+garbage/garbage==\n")
                                  << QString("right");
    QTest::newRow("missing") << "missing.rtf" << QByteArray() << QString();
    QTest::newRow("not RTF") << "notes.rtf" << QByteArray("just words\n") << QString();
}

// A wrong keyword, a damaged or unreadable file: told, and nothing changes.
void UnlockOnOpenTest::failedRequestChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, keyword);
    Fixture f;
    const QString path = f.home.filePath(name);
    if (content.startsWith("<locked"))
        f.lock(name, kCipherDes3, QStringLiteral("right"));
    else if (!content.isNull())
        f.plainFile(name, content);
    f.layout->engine->VelkoField->setPlainTextFromCode(QStringLiteral("Earlier text"));
    const Snapshot before = snapshotOf(*f.layout);

    QVERIFY(f.controller->application(qApp, path));
    if (!keyword.isNull())
        f.pressOK(keyword);

    QVERIFY(!securetest::takeAlertText().isEmpty());
    QVERIFY(snapshotOf(*f.layout) == before);
    QVERIFY(recentDocuments().isEmpty());
    if (keyword.isNull())
        return;
    QVERIFY(f.unlockWindowShown());
    // The scratch work left nothing behind in the home folder.
    QCOMPARE(QDir(f.home.path()).entryList(QDir::Files), QStringList{name});
    if (content.startsWith("<locked")) { // the next try, with the right keyword, opens it
        f.pressOK(QStringLiteral("right"));
        QCOMPARE(f.state.fileName, path);
    }
}

QTEST_MAIN(UnlockOnOpenTest)
#include "tst_unlockonopen.moc"
