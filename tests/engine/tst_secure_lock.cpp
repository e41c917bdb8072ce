#include "secure_fixture.h"

#include "core/cipheroption.h"
#include "feedback/colors.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPropertyAnimation>

using namespace securetest;

class SecureTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cancelAndCancelledPanelKeepTheFields();
    void mismatchShakesAndChangesNothing();
    void matchIndicatorFollowsTyping();
    void panelStartsInHomeWithoutADesktop();
    void securesWithEachCipher_data();
    void securesWithEachCipher();
    void failureIsToldAndChangesNothing_data();
    void failureIsToldAndChangesNothing();

private:
    QString desktopFile(const QString& name) const { return m_desktop + QLatin1Char('/') + name; }
    void openKeywordWindow() { m_layout->action(QStringLiteral("btnSecureText"))->trigger(); }

    testsupport::TempHome m_home;
    QString m_desktop;
    std::unique_ptr<Layout> m_layout;
};

void SecureTest::init()
{
    QDir(m_home.filePath(QStringLiteral("Desktop"))).removeRecursively();
    m_desktop = m_home.makeDesktop();
    m_layout = testsupport::makeDocumentWindow();
    useRealPipeline(*m_layout);
}

void SecureTest::cleanup()
{
    dismissModals();
    m_layout.reset();
}

// Cancel in the window, or in the save panel after OK: nothing changes; a
// cancelled panel leaves the keyword for the retry, a new Secure starts empty.
void SecureTest::cancelAndCancelledPanelKeepTheFields()
{
    Engine& engine = *m_layout->engine;
    openKeywordWindow();
    engine.textfieldKeyword->setText(QStringLiteral("first"));
    engine.textfieldKeyword2->setText(QStringLiteral("second"));
    typeIntoView(*m_layout, QStringLiteral("unsaved"));
    const Snapshot before = snapshotOf(*m_layout);

    button(engine.windowEnterKeyWord, "btnCancelEnterKeyword")->click();
    QVERIFY(!isChildWindowAttached(engine.mainWindow, engine.windowEnterKeyWord));
    openKeywordWindow(); // a new Secure offers no earlier keyword
    QVERIFY(engine.textfieldKeyword->text().isEmpty() &&
            engine.textfieldKeyword2->text().isEmpty());
    button(engine.windowEnterKeyWord, "btnCancelEnterKeyword")->click();

    secureWith(*m_layout, QStringLiteral("kw"), QStringLiteral("kw"), QString());
    QCOMPARE(snapshotOf(*m_layout), before);
    QVERIFY(isChildWindowAttached(engine.mainWindow, engine.windowEnterKeyWord));

    // OK again shows the panel again.
    const QString path = desktopFile(QStringLiteral("again.srtf"));
    testsupport::answerNextModalPanel(path);
    button(engine.windowEnterKeyWord, "btnOKEnterKeyword")->click();
    QCOMPARE(m_layout->state->fileName, path);
}

// No panel: the window shakes instead. OK pressed again mid-shake stops the
// first shake and starts one built from the resting frame, not from where
// the first had swung to. Composed and decomposed forms are not the same
// keyword.
void SecureTest::mismatchShakesAndChangesNothing()
{
    const QString keyword = QStringLiteral("caf\u00e9");
    const QString repetition = QStringLiteral("cafe\u0301");
    Engine& engine = *m_layout->engine;
    QWidget* window = engine.windowEnterKeyWord;
    typeIntoView(*m_layout, QStringLiteral("text"));
    const Snapshot before = snapshotOf(*m_layout);

    openKeywordWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QRect frame = window->frameGeometry();
    engine.textfieldKeyword->setText(keyword);
    engine.textfieldKeyword2->setText(repetition);
    QPushButton* ok = button(window, "btnOKEnterKeyword");
    ok->click();

    QVERIFY(!QApplication::activeModalWidget());
    auto* first = window->findChild<QPropertyAnimation*>();
    QVERIFY(first);
    first->pause();
    first->setCurrentTime(qRound(500.0 / 17 * 3)); // swung to the left
    QVERIFY(window->x() < frame.x());

    ok->click();
    QCOMPARE(first->state(), QAbstractAnimation::Stopped);
    QPropertyAnimation* second = nullptr;
    for (auto* animation : window->findChildren<QPropertyAnimation*>()) {
        if (animation->state() == QAbstractAnimation::Running)
            second = animation;
    }
    QVERIFY(second && second != first);
    QCOMPARE(second->keyValueAt(0).toPoint(), frame.topLeft());
    QTRY_VERIFY_WITH_TIMEOUT(!window->findChild<QPropertyAnimation*>(), 3000);
    QCOMPARE(window->frameGeometry(), frame);

    QVERIFY(isChildWindowAttached(engine.mainWindow, window));
    QCOMPARE(engine.textfieldKeyword2->text(), repetition);
    QCOMPARE(snapshotOf(*m_layout), before);
    QVERIFY(QDir(m_desktop).entryList(QDir::Files).isEmpty());
}

void SecureTest::matchIndicatorFollowsTyping()
{
    Engine& engine = *m_layout->engine;
    openKeywordWindow();
    auto* indicator =
        engine.windowEnterKeyWord->findChild<QLabel*>(QStringLiteral("keywordMatchIndicator"));
    QVERIFY(indicator && !indicator->accessibleName().isEmpty());
    engine.textfieldKeyword->setFocus();
    QTest::keyClicks(engine.textfieldKeyword, QStringLiteral("abc"));
    engine.textfieldKeyword2->setFocus();
    QTest::keyClicks(engine.textfieldKeyword2, QStringLiteral("ab"));
    QCOMPARE(indicator->text(), QStringLiteral("Keywords do not match"));
    QTest::keyClicks(engine.textfieldKeyword2, QStringLiteral("c"));
    QCOMPARE(indicator->text(), QStringLiteral("Keywords match"));
    QCOMPARE(indicator->accessibleDescription(), QStringLiteral("Keywords match"));
}

// Without a desktop folder the panel starts in the home folder; it creates
// no folder of its own.
void SecureTest::panelStartsInHomeWithoutADesktop()
{
    QVERIFY(QDir(m_desktop).removeRecursively());
    QString folder;
    QString name;
    // The panel runs its own event loop: this looks at it from there.
    QTimer::singleShot(0, this, [&]() {
        QFileDialog* panel = testsupport::waitForPanel();
        QVERIFY(panel);
        folder = panel->directory().absolutePath();
        if (auto* edit = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name = edit->text();
        panel->reject();
    });
    openKeywordWindow();
    button(m_layout->engine->windowEnterKeyWord, "btnOKEnterKeyword")->click(); // "" == ""
    QCOMPARE(QDir::cleanPath(folder), QDir::cleanPath(m_home.path()));
    QCOMPARE(name, QStringLiteral("untitled.srtf"));
    QVERIFY(!QDir(m_home.path()).exists(QStringLiteral("Documents")));
    QVERIFY(!QDir(m_desktop).exists());
}

void SecureTest::securesWithEachCipher_data()
{
    QTest::addColumn<QString>("cipher");
    QTest::addColumn<bool>("showOutput");
    bool shown = true;
    for (const QString& cipher : allCipherOptions()) {
        QTest::addRow("%s, %s", qPrintable(cipher), shown ? "shown" : "not shown")
            << cipher << shown;
        shown = !shown;
    }
}

void SecureTest::securesWithEachCipher()
{
    QFETCH(QString, cipher);
    QFETCH(bool, showOutput);
    Engine& engine = *m_layout->engine;
    const DocumentState& state = *m_layout->state;
    engine.selectCipher(cipher);
    putFormattedText(engine.VelkoField);
    typeIntoView(*m_layout, QStringLiteral("!")); // unsaved: the label turns red
    const QString htmlBefore = engine.VelkoField->toHtml();
    const QByteArray rtf = engine.VelkoField->rtfOfWholeText();
    engine.chkBoxShowEncryptedOutputAfterEncryption->setChecked(showOutput);
    // The name typed without its extension gets ".srtf".
    const QString path = desktopFile(QStringLiteral("secret"));

    secureWith(*m_layout, QStringLiteral("Kéy wörd"), QStringLiteral("Kéy wörd"), path);

    const QString written = path + QStringLiteral(".srtf");
    const QByteArray document = testsupport::readFile(written);
    QCOMPARE(state.fileName, written);
    QCOMPARE(state.DataToWrite, rtf);
    QCOMPARE(labelColor(engine.setFileNameLabel), colors::blue());
    QVERIFY(state.isLastSavedASecureFile);
    QVERIFY(!state.textChanged);
    // The keyword does not stay in the window.
    QVERIFY(engine.textfieldKeyword->text().isEmpty() &&
            engine.textfieldKeyword2->text().isEmpty());

    if (showOutput) {
        QCOMPARE(engine.VelkoField->toPlainText().trimmed(),
                 QString::fromLatin1(document).trimmed());
        QTextCursor cursor(engine.VelkoField->document());
        cursor.movePosition(QTextCursor::End);
        QCOMPARE(cursor.charFormat().foreground().color(), colors::orange());
        QVERIFY(engine.VelkoField->isReadOnly());
    } else {
        QCOMPARE(engine.VelkoField->toHtml(), htmlBefore);
    }

    const Result<QByteArray> back =
        engine.pipeline.decipher(written, cipher, QStringLiteral("Kéy wörd").toUtf8());
    QVERIFY2(back.ok(), back.ok() ? "" : qPrintable(back.error().detail));
    QCOMPARE(back.value(), rtf);
}

void SecureTest::failureIsToldAndChangesNothing_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("rc5Module");
    QTest::addColumn<QString>("cipher");
    QTest::addColumn<QString>("keyword");
    const QString openssl = CipherPipeline::defaultToolPath();
    const QString fine = QStringLiteral("keyword");
    QTest::newRow("folder missing") << QStringLiteral("missing/folder/doc.srtf") << openssl
                                    << kRc5Module << kCipherBlowfish << fine;
    QTest::newRow("tool missing, file exists")
        << QStringLiteral("Desktop/existing.srtf") << QStringLiteral("/nonexistent/openssl")
        << kRc5Module << kCipherBlowfish << fine;
    QTest::newRow("cipher unavailable")
        << QStringLiteral("Desktop/rc5.srtf") << openssl
        << QStringLiteral("/nonexistent/velkorc5.so") << kCipherRc5 << fine;
    QTest::newRow("keyword refused") << QStringLiteral("Desktop/long.srtf") << openssl << kRc5Module
                                     << kCipherRc4 << QString(1500, QLatin1Char('k'));
}

void SecureTest::failureIsToldAndChangesNothing()
{
    QFETCH(QString, where);
    QFETCH(QString, tool);
    QFETCH(QString, rc5Module);
    QFETCH(QString, cipher);
    QFETCH(QString, keyword);
    Engine& engine = *m_layout->engine;
    const QString path = m_home.filePath(where);
    const bool existing = where.contains(QLatin1String("existing"));
    if (existing)
        QVERIFY(testsupport::writeFile(path, "the old secure document"));
    engine.pipeline = CipherPipeline(tool, rc5Module);
    engine.selectCipher(cipher);
    typeIntoView(*m_layout, QStringLiteral("x"));
    engine.chkBoxShowEncryptedOutputAfterEncryption->setChecked(true);
    const Snapshot before = snapshotOf(*m_layout);

    if (existing) // the panel asks before choosing an existing file
        testsupport::answerNextAlert(QStringLiteral("&Yes"));
    secureWith(*m_layout, keyword, keyword, path);

    QCOMPARE(takeAlertText(), QStringLiteral("The document could not be secured."));
    QCOMPARE(snapshotOf(*m_layout), before);
    QVERIFY(isChildWindowAttached(engine.mainWindow, engine.windowEnterKeyWord));
    if (existing)
        QCOMPARE(testsupport::readFile(path), QByteArray("the old secure document"));
    else
        QVERIFY(!QFile::exists(path));
    QCOMPARE(QDir(m_desktop).entryList(QDir::Files | QDir::Hidden),
             existing ? QStringList{QStringLiteral("existing.srtf")} : QStringList());
}

QTEST_MAIN(SecureTest)
#include "tst_secure_lock.moc"
