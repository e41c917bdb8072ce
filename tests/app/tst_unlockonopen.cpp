// A file handed over by the desktop: the plain path, the unlock-on-open
// window and the questions asked before unsaved edits are replaced.
#include "../engine/secure_fixture.h"

#include "app/appcontroller.h"
#include "core/recentdocuments.h"
#include "feedback/colors.h"

#include <QDir>
#include <QSignalSpy>

using namespace velko;
using securetest::Snapshot;
using securetest::snapshotOf;

namespace {

const QByteArray kSecretRtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Helvetica;}}\\f0 Secret "
                              "{\\b text}\\par}";
const QByteArray kPlainRtf =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Helvetica;}}\\f0 Plain letter\\par}";

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
        const Result<QByteArray> written =
            layout->engine->pipeline.encipher(kSecretRtf, cipher, keyword, path);
        if (!written)
            qWarning("encipher failed: %s", qPrintable(written.error().detail));
        return path;
    }
    QString plainFile(const QString& name, const QByteArray& data = kPlainRtf)
    {
        const QString path = home.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        testsupport::writeFile(path, data);
        return path;
    }
    void chooseUnlockCipher(int index)
    {
        controller->btnPopUpButtonOpen->setCurrentIndex(index);
        emit controller->btnPopUpButtonOpen->activated(index);
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
    void plainPathOpensCleanDocument();
    void securePathShowsWindowAndChangesNothingElse();
    void okLeavesUnlockState_data();
    void okLeavesUnlockState();
    void laterRequestsWhileWindowShown();
    void unsavedEditsAreAskedAbout_data();
    void unsavedEditsAreAskedAbout();
    void cancelEndsApplication_data();
    void cancelEndsApplication();
    void failedRequestChangesNothing_data();
    void failedRequestChangesNothing();
};

void UnlockOnOpenTest::plainPathOpensCleanDocument()
{
    Fixture f;
    // A plain file inside a folder whose name looks like a secure file.
    const QString path = f.plainFile(QStringLiteral("old.srtf/letter.rtf"));
    f.state.isLastSavedASecureFile = true;
    f.state.textColorSetToOrangeAfterEncryption = true;
    f.layout->engine->VelkoField->setReadOnly(true);

    QVERIFY(f.controller->application(qApp, path));

    QVERIFY(!f.unlockWindowShown());
    QCOMPARE(QDir::currentPath(), QDir(f.home.path()).canonicalPath());
    QCOMPARE(f.layout->engine->VelkoField->toPlainText().trimmed(), QStringLiteral("Plain letter"));
    QCOMPARE(f.state.fileName, path);
    QCOMPARE(f.state.openedFileNameByDoubleClick, path);
    QCOMPARE(f.layout->engine->setFileNameLabel->text(), path);
    QCOMPARE(f.layout->mainWindow->windowTitle(), path);
    QCOMPARE(labelColor(f.layout->engine->setFileNameLabel), colors::blue());
    QVERIFY(!f.state.textChanged);
    QVERIFY(!f.state.isLastSavedASecureFile);
    QVERIFY(!f.state.textColorSetToOrangeAfterEncryption);
    QVERIFY(!f.layout->engine->VelkoField->isReadOnly());
    QVERIFY(recentDocuments().contains(path));
}

void UnlockOnOpenTest::securePathShowsWindowAndChangesNothingElse()
{
    Fixture f;
    // Capital extension, file not even present: still the secure path.
    const QString path = f.home.filePath(QStringLiteral("Report.SRTF"));
    f.controller->fieldKeyWord->setText(QStringLiteral("kept"));
    const Snapshot before = snapshotOf(*f.layout);

    QVERIFY(f.controller->application(qApp, path));

    QVERIFY(f.unlockWindowShown());
    QCOMPARE(f.unlockWindow()->windowTitle(), path);
    QCOMPARE(f.state.openedFileNameByDoubleClick, path);
    QCOMPARE(f.controller->fieldKeyWord->text(), QStringLiteral("kept"));
    QVERIFY(snapshotOf(*f.layout) == before);
}

void UnlockOnOpenTest::okLeavesUnlockState_data()
{
    QTest::addColumn<QString>("lockedWith");
    QTest::addColumn<int>("chosenIndex"); // in the unlock window's pop-up
    QTest::newRow("des3, chosen") << QStringLiteral("-des3") << 1;
    QTest::newRow("blowfish, chosen") << QStringLiteral("-blowfish") << 0;
    QTest::newRow("rc5, chosen") << QStringLiteral("-rc5") << 2;
    QTest::newRow("des3, rc4 chosen: found anyway") << QStringLiteral("-des3") << 3;
}

void UnlockOnOpenTest::okLeavesUnlockState()
{
    QFETCH(QString, lockedWith);
    QFETCH(int, chosenIndex);
    Fixture f;
    const QString path = f.lock(QStringLiteral("renamed.rtf"), lockedWith, QStringLiteral("kéy 1"));
    // The document window shows secure output, read-only, and has its own
    // cipher choice, which plays no part here.
    f.layout->engine->selectCipher(QStringLiteral("-rc4"));
    f.layout->engine->VelkoField->setPlainTextFromCode(QStringLiteral("U2FsdGVkX1..."));
    f.layout->engine->VelkoField->setReadOnly(true);
    f.state.textColorSetToOrangeAfterEncryption = true;

    QVERIFY(f.controller->application(qApp, path)); // secure by its content
    QVERIFY(f.unlockWindowShown());
    f.chooseUnlockCipher(chosenIndex);
    const QString chosen = allCipherOptions().at(chosenIndex);
    QCOMPARE(f.state.selectedCipher, chosen);
    QCOMPARE(f.state.cipher, QStringLiteral("-rc4"));
    f.pressOK(QStringLiteral("kéy 1"));

    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(f.layout->engine->VelkoField->toPlainText().trimmed(), QStringLiteral("Secret text"));
    QCOMPARE(f.state.fileName, path);
    QVERIFY(f.state.isLastSavedASecureFile);
    QVERIFY(!f.state.textColorSetToOrangeAfterEncryption);
    QVERIFY(!f.layout->engine->VelkoField->isReadOnly());
    QCOMPARE(labelColor(f.layout->engine->setFileNameLabel), colors::blue());
    QCOMPARE(f.layout->engine->setFileNameLabel->text(), path);
    QCOMPARE(f.layout->mainWindow->windowTitle(), path);
    QVERIFY(f.controller->fieldKeyWord->text().isEmpty());
    QVERIFY(!f.unlockWindowShown());
    // The window's own choice stays for the next request; the document
    // window now uses the cipher that opened the file.
    QCOMPARE(f.state.selectedCipher, chosen);
    QCOMPARE(f.state.cipher, lockedWith);
    // Nothing the program put in counts as an edit, and no recent entry.
    QCoreApplication::processEvents();
    QVERIFY(!f.state.textChanged);
    QVERIFY(recentDocuments().isEmpty());
}

void UnlockOnOpenTest::laterRequestsWhileWindowShown()
{
    Fixture f;
    const QString first =
        f.lock(QStringLiteral("first.srtf"), QStringLiteral("-des3"), QStringLiteral("k"));
    const QString second =
        f.lock(QStringLiteral("second.srtf"), QStringLiteral("-des3"), QStringLiteral("k"));
    const QString plain = f.plainFile(QStringLiteral("plain.rtf"));

    f.controller->application(qApp, first);
    f.controller->application(qApp, second);
    QCOMPARE(f.unlockWindow()->windowTitle(), second);
    // A plain file arriving meanwhile loads, and the window keeps its file.
    f.controller->application(qApp, plain);
    QCOMPARE(f.state.fileName, plain);
    QVERIFY(f.unlockWindowShown());
    QCOMPARE(f.unlockWindow()->windowTitle(), second);

    f.pressOK(QStringLiteral("k"));
    QVERIFY(!f.unlockWindowShown());
    QCOMPARE(f.state.fileName, second);
    QCOMPARE(f.layout->engine->VelkoField->toPlainText().trimmed(), QStringLiteral("Secret text"));
}

void UnlockOnOpenTest::unsavedEditsAreAskedAbout_data()
{
    QTest::addColumn<bool>("secure");
    QTest::addColumn<QString>("answer");
    QTest::newRow("plain, Cancel") << false << QStringLiteral("Cancel");
    QTest::newRow("plain, Open anyway") << false << QStringLiteral("Open anyway");
    QTest::newRow("OK, Cancel") << true << QStringLiteral("Cancel");
    QTest::newRow("OK, Open anyway") << true << QStringLiteral("Open anyway");
}

void UnlockOnOpenTest::unsavedEditsAreAskedAbout()
{
    QFETCH(bool, secure);
    QFETCH(QString, answer);
    Fixture f;
    const QString path =
        secure ? f.lock(QStringLiteral("s.srtf"), QStringLiteral("-des3"), QStringLiteral("k"))
               : f.plainFile(QStringLiteral("p.rtf"));
    securetest::typeIntoView(*f.layout, QStringLiteral("unsaved words"));
    QVERIFY(f.state.textChanged);
    const Snapshot before = snapshotOf(*f.layout);

    f.controller->application(qApp, path);
    if (secure)
        f.pressOK(QStringLiteral("k"));
    QMessageBox* question = testsupport::waitForAlert();
    QVERIFY(question);
    QCOMPARE(question->text(), QStringLiteral("Document not saved."));
    QCOMPARE(question->informativeText(), QStringLiteral("Do you want to open another anyway?"));
    QCOMPARE(question->buttons().size(), 2);
    QVERIFY(testsupport::clickAlertButton(question, answer));
    QTest::qWait(20);

    if (answer == QLatin1String("Cancel")) {
        QVERIFY(snapshotOf(*f.layout) == before);
        QCOMPARE(f.unlockWindowShown(), secure);
        return;
    }
    QCOMPARE(f.state.fileName, path);
    QVERIFY(!f.state.textChanged);
    QCOMPARE(f.state.isLastSavedASecureFile, secure);
    QVERIFY(!f.layout->engine->VelkoField->toPlainText().contains(QLatin1String("unsaved")));
    QVERIFY(!f.unlockWindowShown());
}

void UnlockOnOpenTest::cancelEndsApplication_data()
{
    QTest::addColumn<bool>("edited");
    QTest::addColumn<QString>("answer"); // to Quit's question, when asked
    QTest::addColumn<bool>("ends");
    QTest::newRow("no edits: at once") << false << QString() << true;
    QTest::newRow("edits, OK") << true << QStringLiteral("OK") << true;
    QTest::newRow("edits, Cancel") << true << QStringLiteral("Cancel") << false;
}

void UnlockOnOpenTest::cancelEndsApplication()
{
    QFETCH(bool, edited);
    QFETCH(QString, answer);
    QFETCH(bool, ends);
    Fixture f;
    QSignalSpy terminate(f.controller, &AppController::terminateRequested);
    if (edited)
        securetest::typeIntoView(*f.layout, QStringLiteral("draft"));
    f.controller->application(qApp, f.home.filePath(QStringLiteral("x.srtf")));
    f.unlockWindow()->findChild<QPushButton*>(QStringLiteral("btnOpenLockedFileCancel"))->click();

    if (edited) {
        QCOMPARE(terminate.size(), 0);
        QMessageBox* question = testsupport::waitForAlert();
        QVERIFY(question);
        QCOMPARE(question->text(), QStringLiteral("Quit Velko?"));
        QCOMPARE(question->informativeText(),
                 QStringLiteral("Document not saved! Do you really want to quit?"));
        QVERIFY(testsupport::clickAlertButton(question, answer));
        QTest::qWait(20);
    }
    QCOMPARE(terminate.size(), ends ? 1 : 0);
    if (!ends) {
        QVERIFY(f.unlockWindowShown());
        QCOMPARE(f.layout->engine->VelkoField->toPlainText(), QStringLiteral("draft"));
    }
}

void UnlockOnOpenTest::failedRequestChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // null: no file at all
    QTest::addColumn<QString>("keyword");    // null: a plain file, no OK
    const QByteArray locked = "<locked with 'right'>";
    QTest::newRow("wrong keyword") << "a.srtf" << locked << QString("wrong");
    QTest::newRow("empty keyword") << "a.srtf" << locked << QString("");
    QTest::newRow("damaged file") << "a.srtf" << QByteArray("U2FsdGVkX1+garbage/garbage==\n")
                                  << QString("right");
    QTest::newRow("missing") << "missing.rtf" << QByteArray() << QString();
    QTest::newRow("not RTF") << "notes.rtf" << QByteArray("just words\n") << QString();
    QTest::newRow("empty") << "empty.rtf" << QByteArray("") << QString();
    QTest::newRow("a folder") << "folder.rtf" << QByteArray("<dir>") << QString();
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
        f.lock(name, QStringLiteral("-des3"), QStringLiteral("right"));
    else if (content == "<dir>")
        QDir().mkpath(path);
    else if (!content.isNull())
        f.plainFile(name, content);
    f.layout->engine->VelkoField->setPlainTextFromCode(QStringLiteral("Earlier text"));
    const Snapshot before = snapshotOf(*f.layout);
    const QByteArray fileBefore = testsupport::readFile(path);

    QVERIFY(f.controller->application(qApp, path));
    if (!keyword.isNull())
        f.pressOK(keyword);

    QVERIFY(!securetest::takeAlertText().isEmpty());
    QVERIFY(snapshotOf(*f.layout) == before);
    QVERIFY(recentDocuments().isEmpty());
    if (keyword.isNull())
        return;
    QVERIFY(f.unlockWindowShown());
    QVERIFY(f.controller->fieldKeyWord->text().isEmpty());
    QCOMPARE(testsupport::readFile(path), fileBefore);
    // The scratch work left nothing behind in the home folder.
    QCOMPARE(QDir(f.home.path()).entryList(QDir::Files), QStringList{name});

    // The next try with the right keyword opens it.
    if (content.startsWith("<locked")) {
        f.pressOK(QStringLiteral("right"));
        QVERIFY(!f.unlockWindowShown());
        QCOMPARE(f.state.fileName, path);
    }
}

QTEST_MAIN(UnlockOnOpenTest)
#include "tst_unlockonopen.moc"
