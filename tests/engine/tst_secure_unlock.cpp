#include "secure_fixture.h"

#include "core/cipheroption.h"
#include "feedback/colors.h"

#include <QCheckBox>
#include <QDir>
#include <QTextBlock>
#include <QTextFragment>

using namespace securetest;

namespace {

// The text as runs of equal attributes ("bold italic colour family size|
// text"): what a round trip must keep.
QStringList runsOf(const QTextDocument* document)
{
    QStringList runs;
    QString lastKey;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block != document->begin()) {
            runs << QStringLiteral("\n");
            lastKey.clear();
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            const QBrush brush = format.foreground();
            const QString key =
                QStringLiteral("%1 %2 %3 %4 %5|")
                    .arg(int(format.fontWeight() >= QFont::Bold))
                    .arg(int(format.fontItalic()))
                    .arg((brush.style() == Qt::NoBrush ? QColor(Qt::black) : brush.color()).name())
                    .arg(format.fontFamilies().toStringList().value(0))
                    .arg(format.fontPointSize());
            if (key == lastKey)
                runs.last() += it.fragment().text();
            else
                runs << key + it.fragment().text();
            lastKey = key;
        }
    }
    return runs;
}

QByteArray lockFile(const QString& path, const QByteArray& rtf, const QString& cipher,
                    const QString& keyword)
{
    const CipherPipeline pipeline(CipherPipeline::defaultToolPath(), kRc5Module);
    const Result<QByteArray> written = pipeline.encipher(rtf, cipher, keyword, path);
    return written ? written.value() : QByteArray();
}

} // namespace

class UnlockTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void asksFirstWhenThereAreUnsavedEdits_data();
    void asksFirstWhenThereAreUnsavedEdits();
    void cancelledPanelAndCancelKeepTheKeyword();
    void roundTripKeepsTextAndAttributes_data();
    void roundTripKeepsTextAndAttributes();
    void failureIsToldAndChangesNothing_data();
    void failureIsToldAndChangesNothing();

private:
    testsupport::TempHome m_home;
    QString m_desktop;
    std::unique_ptr<Layout> m_layout;
};

void UnlockTest::initTestCase()
{
    m_desktop = m_home.makeDesktop();
}

void UnlockTest::init()
{
    QDir(m_desktop).removeRecursively();
    m_home.makeDesktop();
    m_layout = testsupport::makeDocumentWindow();
    useRealPipeline(*m_layout);
}

void UnlockTest::cleanup()
{
    dismissModals();
    m_layout.reset();
}

void UnlockTest::asksFirstWhenThereAreUnsavedEdits_data()
{
    QTest::addColumn<bool>("edited");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("windowShown");
    QTest::newRow("no edits: no alert") << false << QString() << true;
    QTest::newRow("edits, Open anyway") << true << QStringLiteral("Open anyway") << true;
    QTest::newRow("edits, Cancel") << true << QStringLiteral("Cancel") << false;
}

void UnlockTest::asksFirstWhenThereAreUnsavedEdits()
{
    QFETCH(bool, edited);
    QFETCH(QString, answer);
    QFETCH(bool, windowShown);
    Engine& engine = *m_layout->engine;
    if (edited)
        typeIntoView(*m_layout, QStringLiteral("edit"));
    const Snapshot before = Snapshot::of(*m_layout);

    m_layout->action(QStringLiteral("btnUnlockText"))->trigger();
    if (edited) {
        QMessageBox* alert = testsupport::waitForAlert();
        QVERIFY(alert);
        QCOMPARE(alert->text(), QStringLiteral("Document not saved."));
        QCOMPARE(alert->informativeText(), QStringLiteral("Do you want to open another anyway?"));
        QCOMPARE(alert->buttons().size(), 2);
        QCOMPARE(alert->icon(), QMessageBox::Warning);
        QVERIFY(!engine.windowUnlockKeyword->isVisible());
        QVERIFY(testsupport::clickAlertButton(alert, answer));
        QTRY_VERIFY(!QApplication::activeModalWidget());
    } else {
        QVERIFY(!QApplication::activeModalWidget());
    }
    QCOMPARE(isChildWindowAttached(engine.mainWindow, engine.windowUnlockKeyword), windowShown);
    QCOMPARE(engine.windowUnlockKeyword->isVisible(), windowShown);
    QCOMPARE(Snapshot::of(*m_layout), before);
}

void UnlockTest::cancelledPanelAndCancelKeepTheKeyword()
{
    Engine& engine = *m_layout->engine;
    const Snapshot before = Snapshot::of(*m_layout);
    unlockWith(*m_layout, QStringLiteral("kw"), QString());
    QVERIFY(isChildWindowAttached(engine.mainWindow, engine.windowUnlockKeyword));
    QCOMPARE(engine.textFieldKeywordUnlock->text(), QStringLiteral("kw"));
    QCOMPARE(engine.textFieldKeywordUnlock->echoMode(), QLineEdit::Password);
    QCOMPARE(Snapshot::of(*m_layout), before);

    button(engine.windowUnlockKeyword, "btnUnlockTextCancel")->click();
    QVERIFY(!engine.windowUnlockKeyword->isVisible());
    m_layout->action(QStringLiteral("btnUnlockText"))->trigger();
    QVERIFY(engine.windowUnlockKeyword->isVisible());
    QCOMPARE(engine.textFieldKeywordUnlock->text(), QStringLiteral("kw"));
    QCOMPARE(Snapshot::of(*m_layout), before);
}

void UnlockTest::roundTripKeepsTextAndAttributes_data()
{
    QTest::addColumn<QString>("cipher");
    QTest::addColumn<QString>("chosen"); // in the window when unlocking
    const QStringList ciphers = allCipherOptions();
    for (int i = 0; i < ciphers.size(); ++i) {
        const QString other = ciphers[(i + 1) % ciphers.size()];
        QTest::newRow(qPrintable(ciphers[i])) << ciphers[i] << ciphers[i];
        QTest::addRow("%s, %s chosen", qPrintable(ciphers[i]), qPrintable(other))
            << ciphers[i] << other;
    }
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
    const QString text = engine.VelkoField->toPlainText();
    const QStringList runs = runsOf(engine.VelkoField->document());
    QVERIFY(runs.size() >= 5);

    // Secure with the output shown: orange and read-only.
    engine.chkBoxShowEncryptedOutputAfterEncryption->setChecked(true);
    const QString path = m_desktop + QStringLiteral("/round-") + cipher.mid(1) + ".srtf";
    secureWith(*m_layout, QStringLiteral("sésame ouvre-toi"), QStringLiteral("sésame ouvre-toi"),
               path);
    QCOMPARE(state.fileName, path);
    QVERIFY(engine.VelkoField->isReadOnly());
    QVERIFY(engine.VelkoField->toPlainText() != text);

    // Unlock brings the rich text back, editable, in its own colours.
    m_layout->mainWindow->setWindowTitle(QStringLiteral("elsewhere"));
    engine.selectCipher(chosen);
    unlockWith(*m_layout, QStringLiteral("sésame ouvre-toi"), path);
    if (chosen == cipher) {
        QVERIFY(!QApplication::activeModalWidget()); // no alert, no notice
    } else {
        QString informative;
        const QString notice = takeAlertText(&informative);
        QVERIFY2(notice.contains(cipherDisplayName(cipher)), qPrintable(notice));
        QVERIFY2(informative.contains(cipherDisplayName(chosen)), qPrintable(informative));
    }
    QCOMPARE(engine.VelkoField->toPlainText(), text);
    QCOMPARE(runsOf(engine.VelkoField->document()), runs);
    QVERIFY(!engine.VelkoField->isReadOnly());
    QVERIFY(!state.textColorSetToOrangeAfterEncryption);
    QVERIFY(!state.textChanged);
    QVERIFY(state.isLastSavedASecureFile);
    QCOMPARE(state.fileName, path);
    QCOMPARE(state.cipher, cipher);
    QCOMPARE(engine.cipherPopUpButton->currentData().toString(), cipher);
    QCOMPARE(engine.setFileNameLabel->text(), path);
    QCOMPARE(labelColor(engine.setFileNameLabel), colors::blue());
    QCOMPARE(m_layout->mainWindow->windowTitle(), path);
    QVERIFY(engine.textFieldKeywordUnlock->text().isEmpty());
    QVERIFY(!engine.windowUnlockKeyword->isVisible());

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
    const DocumentState& state = *m_layout->state;

    // Where the document stands before: a secured text shown in orange, or
    // an edited one.
    putFormattedText(engine.VelkoField);
    engine.chkBoxShowEncryptedOutputAfterEncryption->setChecked(!edited);
    secureWith(*m_layout, QStringLiteral("right"), QStringLiteral("right"),
               m_desktop + QStringLiteral("/current.srtf"));
    QVERIFY(state.isLastSavedASecureFile);
    if (edited) {
        typeIntoView(*m_layout, QStringLiteral("more"));
        QVERIFY(state.textChanged);
    }

    const QString path = m_desktop + QStringLiteral("/target.srtf");
    QVERIFY(!lockFile(path, "{\\rtf1\\ansi Secret}", kCipherBlowfish, "right").isEmpty());
    QString keyword = QStringLiteral("right");
    if (damage == QLatin1String("wrong keyword"))
        keyword = QStringLiteral("wrong");
    else if (damage == QLatin1String("plain RTF"))
        QVERIFY(testsupport::writeFile(path, "{\\rtf1\\ansi Plain}"));
    else if (damage == QLatin1String("tool missing"))
        engine.pipeline = CipherPipeline(QStringLiteral("/nonexistent/openssl"), kRc5Module);
    else if (damage == QLatin1String("unreadable RTF"))
        QVERIFY(!lockFile(path, "{\\rtf1" + QByteArray(200000, '{') + QByteArray(200000, '}') + "}",
                          kCipherBlowfish, "right")
                     .isEmpty());
    const Snapshot before = Snapshot::of(*m_layout);

    m_layout->action(QStringLiteral("btnUnlockText"))->trigger();
    if (edited)
        QVERIFY(testsupport::clickAlertButton(testsupport::waitForAlert(),
                                              QStringLiteral("Open anyway")));
    QTRY_VERIFY(engine.windowUnlockKeyword->isVisible());
    unlockWith(*m_layout, keyword, path);

    QString informative;
    QCOMPARE(takeAlertText(&informative), QStringLiteral("The document could not be unlocked."));
    QVERIFY(!informative.isEmpty());
    QCOMPARE(Snapshot::of(*m_layout), before);
    QVERIFY(isChildWindowAttached(engine.mainWindow, engine.windowUnlockKeyword));
    QVERIFY(engine.textFieldKeywordUnlock->text().isEmpty());
    // The view's own text is still there, not garbage and not nothing.
    QVERIFY(!engine.VelkoField->isEmpty());
}

SECURE_TEST_MAIN(UnlockTest)
#include "tst_secure_unlock.moc"
