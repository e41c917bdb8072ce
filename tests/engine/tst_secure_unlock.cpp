#include "secure_fixture.h"

#include "core/cipheroption.h"

#include <QCheckBox>
#include <QDir>
#include <QProcess>

using namespace securetest;

namespace {

QByteArray lockFile(const QString& path, const QByteArray& rtf, const QString& cipher,
                    const QString& keyword)
{
    const CipherPipeline pipeline(CipherPipeline::defaultToolPath(), kRc5Module);
    const Result<QByteArray> written = pipeline.encipher(rtf, cipher, keyword.toUtf8(), path);
    return written ? written.value() : QByteArray();
}

// A secure file that another program wrote with the tool itself, so nothing
// checked the RTF inside.
bool lockWithTool(const QString& path, const QByteArray& rtf, const QString& keyword)
{
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OPENSSL_CONF"), QStringLiteral("/dev/null"));
    tool.setProcessEnvironment(environment);
    tool.start(CipherPipeline::defaultToolPath(),
               {"enc", "-des3", "-a", "-salt", "-pass", "pass:" + keyword, "-out", path});
    tool.write(rtf);
    tool.closeWriteChannel();
    return tool.waitForFinished(30000) && tool.exitStatus() == QProcess::NormalExit &&
           tool.exitCode() == 0;
}

} // namespace

class UnlockTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cancelToUnsavedEditsQuestionChangesNothing();
    void cancelledPanelKeepsCancelForgetsTheKeyword();
    void roundTripKeepsTextAndAttributes_data();
    void roundTripKeepsTextAndAttributes();
    void failureIsToldAndChangesNothing_data();
    void failureIsToldAndChangesNothing();

private:
    testsupport::TempHome m_home;
    QString m_desktop;
    std::unique_ptr<Layout> m_layout;
};

void UnlockTest::init()
{
    QDir(m_home.filePath(QStringLiteral("Desktop"))).removeRecursively();
    m_desktop = m_home.makeDesktop();
    m_layout = testsupport::makeDocumentWindow();
    useRealPipeline(*m_layout);
}

void UnlockTest::cleanup()
{
    dismissModals();
    m_layout.reset();
}

// Answered "Open anyway", the question leads on to the keyword window (see
// the failure table's edited rows).
void UnlockTest::cancelToUnsavedEditsQuestionChangesNothing()
{
    Engine& engine = *m_layout->engine;
    typeIntoView(*m_layout, QStringLiteral("edit"));
    const Snapshot before = snapshotOf(*m_layout);
    m_layout->action(QStringLiteral("btnUnlockText"))->trigger();
    QMessageBox* alert = testsupport::waitForAlert();
    QVERIFY(alert);
    QCOMPARE(alert->informativeText(), QStringLiteral("Do you want to open another anyway?"));
    QVERIFY(testsupport::clickAlertButton(alert, QStringLiteral("Cancel")));
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QVERIFY(!isChildWindowAttached(engine.mainWindow, engine.windowUnlockKeyword));
    QCOMPARE(snapshotOf(*m_layout), before);
}

void UnlockTest::cancelledPanelKeepsCancelForgetsTheKeyword()
{
    Engine& engine = *m_layout->engine;
    const Snapshot before = snapshotOf(*m_layout);
    unlockWith(*m_layout, QStringLiteral("kw"), QString());
    QVERIFY(isChildWindowAttached(engine.mainWindow, engine.windowUnlockKeyword));
    QCOMPARE(snapshotOf(*m_layout), before);

    button(engine.windowUnlockKeyword, "btnUnlockTextCancel")->click();
    QVERIFY(!engine.windowUnlockKeyword->isVisible());
    m_layout->action(QStringLiteral("btnUnlockText"))->trigger();
    QVERIFY(engine.textFieldKeywordUnlock->text().isEmpty()); // a closed window forgets it
    QCOMPARE(snapshotOf(*m_layout), before);
}

void UnlockTest::roundTripKeepsTextAndAttributes_data()
{
    QTest::addColumn<QString>("cipher");
    QTest::addColumn<QString>("chosen"); // in the window when unlocking
    for (const QString& cipher : allCipherOptions())
        QTest::newRow(qPrintable(cipher)) << cipher << cipher;
    QTest::newRow("-des3, -rc4 chosen") << QString(kCipherDes3) << QString(kCipherRc4);
}

// Another cipher than the one chosen opens the file: it is told, and it
// becomes the chosen one.
void UnlockTest::roundTripKeepsTextAndAttributes()
{
    QFETCH(QString, cipher);
    QFETCH(QString, chosen);
    Engine& engine = *m_layout->engine;
    const DocumentState& state = *m_layout->state;
    engine.selectCipher(cipher);
    putFormattedText(engine.VelkoField);
    const QByteArray rtf = engine.VelkoField->rtfOfWholeText();

    // Secure with the output shown: orange and read-only.
    engine.chkBoxShowEncryptedOutputAfterEncryption->setChecked(true);
    const QString path = m_desktop + QStringLiteral("/round-") + cipher.mid(1) + ".srtf";
    secureWith(*m_layout, QStringLiteral("sésame ouvre-toi"), QStringLiteral("sésame ouvre-toi"),
               path);
    QVERIFY(engine.VelkoField->isReadOnly());

    // Unlock brings the rich text back, editable, in its own colours.
    m_layout->mainWindow->setWindowTitle(QStringLiteral("elsewhere"));
    engine.selectCipher(chosen);
    unlockWith(*m_layout, QStringLiteral("sésame ouvre-toi"), path);
    if (chosen == cipher) {
        QVERIFY(!QApplication::activeModalWidget()); // no alert, no notice
    } else {
        const QString notice = takeAlertText();
        QVERIFY2(notice.contains(cipherDisplayName(cipher)), qPrintable(notice));
    }
    QCOMPARE(engine.VelkoField->rtfOfWholeText(), rtf);
    QVERIFY(!engine.VelkoField->isReadOnly());
    QVERIFY(!state.textColorSetToOrangeAfterEncryption);
    QVERIFY(state.isLastSavedASecureFile);
    QCOMPARE(state.cipher, cipher);
    QCOMPARE(engine.cipherPopUpButton->currentData().toString(), cipher);
    QCOMPARE(m_layout->mainWindow->windowTitle(), path);
    QVERIFY(engine.textFieldKeywordUnlock->text().isEmpty());

    // The text came in from code: the next keystroke is the first edit.
    typeIntoView(*m_layout, QStringLiteral("z"));
    QVERIFY(state.textChanged);
    QVERIFY(
        !testsupport::readFile(m_home.filePath(QStringLiteral(".local/share/recently-used.xbel")))
             .contains("round-"));
}

void UnlockTest::failureIsToldAndChangesNothing_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("edited");
    for (const char* damage : {"wrong keyword", "plain RTF", "tool missing", "unreadable RTF"}) {
        QTest::addRow("%s, secured and shown", damage) << QString::fromLatin1(damage) << false;
        QTest::addRow("%s, edited", damage) << QString::fromLatin1(damage) << true;
    }
}

void UnlockTest::failureIsToldAndChangesNothing()
{
    QFETCH(QString, damage);
    QFETCH(bool, edited);
    Engine& engine = *m_layout->engine;
    // Where the document stands before: a secured text shown in orange, or
    // an edited one.
    putFormattedText(engine.VelkoField);
    engine.chkBoxShowEncryptedOutputAfterEncryption->setChecked(!edited);
    secureWith(*m_layout, QStringLiteral("right"), QStringLiteral("right"),
               m_desktop + QStringLiteral("/current.srtf"));
    if (edited)
        typeIntoView(*m_layout, QStringLiteral("more"));

    const QString path = m_desktop + QStringLiteral("/target.srtf");
    QVERIFY(!lockFile(path, "{\\rtf1\\ansi Secret}", kCipherBlowfish, "right").isEmpty());
    QString keyword = QStringLiteral("right");
    if (damage == QLatin1String("wrong keyword"))
        keyword = QStringLiteral("wrong");
    else if (damage == QLatin1String("plain RTF"))
        QVERIFY(testsupport::writeFile(path, "{\\rtf1\\ansi Plain}"));
    else if (damage == QLatin1String("tool missing"))
        engine.pipeline = CipherPipeline(QStringLiteral("/nonexistent/openssl"), kRc5Module);
    else if (damage == QLatin1String("unreadable RTF")) // nested deeper than the reader takes
        QVERIFY(lockWithTool(
            path, "{\\rtf1" + QByteArray(200000, '{') + QByteArray(200000, '}') + "}", "right"));
    const Snapshot before = snapshotOf(*m_layout);

    m_layout->action(QStringLiteral("btnUnlockText"))->trigger();
    if (edited)
        QVERIFY(testsupport::clickAlertButton(testsupport::waitForAlert(),
                                              QStringLiteral("Open anyway")));
    QTRY_VERIFY(engine.windowUnlockKeyword->isVisible());
    unlockWith(*m_layout, keyword, path);

    QCOMPARE(takeAlertText(), QStringLiteral("The document could not be unlocked."));
    QCOMPARE(snapshotOf(*m_layout), before);
    QVERIFY(isChildWindowAttached(engine.mainWindow, engine.windowUnlockKeyword));
    QVERIFY(engine.textFieldKeywordUnlock->text().isEmpty());
}

QTEST_MAIN(UnlockTest)
#include "tst_secure_unlock.moc"
