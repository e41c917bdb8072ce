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
    void initTestCase();
    void init();
    void cleanup();

    void cancelAndCancelledPanelKeepTheFields();
    void mismatchShakesAndChangesNothing_data();
    void mismatchShakesAndChangesNothing();
    void matchIndicatorFollowsTyping_data();
    void matchIndicatorFollowsTyping();
    void panelStartsOnTheDesktopWithTheProposedName_data();
    void panelStartsOnTheDesktopWithTheProposedName();
    void securesWithEachCipher_data();
    void securesWithEachCipher();
    void emptyKeywordsAndEmptyText();
    void failureIsToldAndChangesNothing_data();
    void failureIsToldAndChangesNothing();

private:
    QString desktopFile(const QString& name) const { return m_desktop + QLatin1Char('/') + name; }
    void openKeywordWindow() { m_layout->action(QStringLiteral("btnSecureText"))->trigger(); }

    testsupport::TempHome m_home;
    QString m_desktop;
    std::unique_ptr<Layout> m_layout;
};

void SecureTest::initTestCase()
{
    m_desktop = m_home.makeDesktop();
}

void SecureTest::init()
{
    QDir(m_desktop).removeRecursively();
    m_home.makeDesktop();
    m_layout = testsupport::makeDocumentWindow();
    useRealPipeline(*m_layout);
}

void SecureTest::cleanup()
{
    dismissModals();
    m_layout.reset();
}

// Cancel in the window, or in the save panel after OK: nothing changes and
// the window keeps what was typed.
void SecureTest::cancelAndCancelledPanelKeepTheFields()
{
    Engine& engine = *m_layout->engine;
    QVERIFY(!engine.windowEnterKeyWord->isVisible());
    openKeywordWindow();
    QVERIFY(isChildWindowAttached(engine.mainWindow, engine.windowEnterKeyWord));
    QCOMPARE(engine.textfieldKeyword->echoMode(), QLineEdit::Password);
    QCOMPARE(engine.textfieldKeyword2->echoMode(), QLineEdit::Password);
    engine.textfieldKeyword->setText(QStringLiteral("first"));
    engine.textfieldKeyword2->setText(QStringLiteral("second"));
    typeIntoView(*m_layout, QStringLiteral("unsaved"));
    const Snapshot before = Snapshot::of(*m_layout);

    button(engine.windowEnterKeyWord, "btnCancelEnterKeyword")->click();
    QVERIFY(!engine.windowEnterKeyWord->isVisible());
    QVERIFY(!isChildWindowAttached(engine.mainWindow, engine.windowEnterKeyWord));
    QCOMPARE(Snapshot::of(*m_layout), before);
    openKeywordWindow();
    QVERIFY(engine.windowEnterKeyWord->isVisible());
    QCOMPARE(engine.textfieldKeyword->text(), QStringLiteral("first"));
    QCOMPARE(engine.textfieldKeyword2->text(), QStringLiteral("second"));
    button(engine.windowEnterKeyWord, "btnCancelEnterKeyword")->click();

    secureWith(*m_layout, QStringLiteral("kw"), QStringLiteral("kw"), QString());
    QCOMPARE(Snapshot::of(*m_layout), before);
    QVERIFY(isChildWindowAttached(engine.mainWindow, engine.windowEnterKeyWord));
    QCOMPARE(engine.textfieldKeyword->text(), QStringLiteral("kw"));
    QCOMPARE(engine.textfieldKeyword2->text(), QStringLiteral("kw"));

    // OK again shows the panel again.
    const QString path = desktopFile(QStringLiteral("again.srtf"));
    testsupport::answerNextModalPanel(path);
    button(engine.windowEnterKeyWord, "btnOKEnterKeyword")->click();
    QCOMPARE(m_layout->state->fileName, path);
    QVERIFY(QFile::exists(path));
}

void SecureTest::mismatchShakesAndChangesNothing_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("repetition");
    QTest::newRow("letter case") << QStringLiteral("Keyword") << QStringLiteral("keyword");
    QTest::newRow("second empty") << QStringLiteral("abc") << QString();
    QTest::newRow("trailing space") << QStringLiteral("abc") << QStringLiteral("abc ");
    // Composed and decomposed forms are not the same keyword.
    QTest::newRow("normalisation") << QStringLiteral("caf\u00e9") << QStringLiteral("cafe\u0301");
}

// No panel: the window shakes instead. OK pressed again mid-shake stops the
// first shake and starts one built from the resting frame, not from where
// the first had swung to.
void SecureTest::mismatchShakesAndChangesNothing()
{
    QFETCH(QString, keyword);
    QFETCH(QString, repetition);
    Engine& engine = *m_layout->engine;
    QWidget* window = engine.windowEnterKeyWord;
    typeIntoView(*m_layout, QStringLiteral("text"));
    const Snapshot before = Snapshot::of(*m_layout);

    openKeywordWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QRect frame = window->frameGeometry();
    const int swing = qRound(frame.width() * 0.05);
    engine.textfieldKeyword->setText(keyword);
    engine.textfieldKeyword2->setText(repetition);
    QPushButton* ok = button(window, "btnOKEnterKeyword");
    ok->click();

    QVERIFY(!QApplication::activeModalWidget());
    auto* first = window->findChild<QPropertyAnimation*>();
    QVERIFY(first);
    QCOMPARE(first->state(), QAbstractAnimation::Running);
    first->pause();
    first->setCurrentTime(qRound(500.0 / 17));
    QVERIFY(qAbs(window->x() - (frame.x() - swing)) <= 1);
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
    QVERIFY(qAbs(second->keyValueAt(1.0 / 17).toPoint().x() - (frame.x() - swing)) <= 1);
    QCOMPARE(second->keyValueAt(1).toPoint(), frame.topLeft());
    QTRY_VERIFY_WITH_TIMEOUT(!window->findChild<QPropertyAnimation*>(), 3000);
    QCOMPARE(window->frameGeometry(), frame);

    QVERIFY(isChildWindowAttached(engine.mainWindow, window));
    QCOMPARE(engine.textfieldKeyword->text(), keyword);
    QCOMPARE(engine.textfieldKeyword2->text(), repetition);
    QCOMPARE(Snapshot::of(*m_layout), before);
    QVERIFY(QDir(m_desktop).entryList(QDir::Files).isEmpty());
}

void SecureTest::matchIndicatorFollowsTyping_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("repetition");
    QTest::addColumn<QString>("shown");
    QTest::newRow("nothing repeated yet") << QStringLiteral("abc") << QString() << QString();
    QTest::newRow("partial") << QStringLiteral("abc") << QStringLiteral("ab")
                             << QStringLiteral("Keywords do not match");
    QTest::newRow("equal") << QStringLiteral("abc") << QStringLiteral("abc")
                           << QStringLiteral("Keywords match");
    QTest::newRow("case") << QStringLiteral("abc") << QStringLiteral("ABC")
                          << QStringLiteral("Keywords do not match");
}

void SecureTest::matchIndicatorFollowsTyping()
{
    QFETCH(QString, keyword);
    QFETCH(QString, repetition);
    QFETCH(QString, shown);
    Engine& engine = *m_layout->engine;
    openKeywordWindow();
    auto* indicator =
        engine.windowEnterKeyWord->findChild<QLabel*>(QStringLiteral("keywordMatchIndicator"));
    QVERIFY(indicator);
    QVERIFY(!indicator->accessibleName().isEmpty());
    engine.textfieldKeyword->setFocus();
    QTest::keyClicks(engine.textfieldKeyword, keyword);
    engine.textfieldKeyword2->setFocus();
    QTest::keyClicks(engine.textfieldKeyword2, repetition);
    QCOMPARE(indicator->text(), shown);
    QCOMPARE(indicator->accessibleDescription(), shown);
    // Changing the first field afterwards updates it too.
    engine.textfieldKeyword->setText(repetition);
    QCOMPARE(indicator->text(),
             repetition.isEmpty() ? QString() : QStringLiteral("Keywords match"));
}

void SecureTest::panelStartsOnTheDesktopWithTheProposedName_data()
{
    QTest::addColumn<bool>("haveDesktop");
    QTest::newRow("desktop folder") << true;
    QTest::newRow("no desktop folder") << false;
}

void SecureTest::panelStartsOnTheDesktopWithTheProposedName()
{
    QFETCH(bool, haveDesktop);
    if (!haveDesktop)
        QVERIFY(QDir(m_desktop).removeRecursively());
    const QString expectedFolder = haveDesktop ? m_desktop : m_home.path();
    QString folder;
    QString name;
    // The panel runs its own event loop: this looks at it from there.
    QTimer::singleShot(0, this, [&]() {
        QFileDialog* panel = testsupport::waitForPanel();
        QVERIFY(panel);
        folder = panel->directory().absolutePath();
        if (auto* edit = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name = edit->text();
        QCOMPARE(panel->acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(panel->windowModality(), Qt::ApplicationModal);
        panel->reject();
    });
    Engine& engine = *m_layout->engine;
    openKeywordWindow();
    button(engine.windowEnterKeyWord, "btnOKEnterKeyword")->click(); // two empty fields match
    if (!haveDesktop)
        m_home.makeDesktop();
    QCOMPARE(QDir::cleanPath(folder), QDir::cleanPath(expectedFolder));
    QCOMPARE(name, QStringLiteral("untitled.srtf"));
    QVERIFY(!QDir(m_home.path()).exists(QStringLiteral("Documents")));
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
    QVERIFY(state.textChanged);
    const QString htmlBefore = engine.VelkoField->toHtml();
    const QByteArray rtf = engine.VelkoField->rtfOfWholeText();
    engine.chkBoxShowEncryptedOutputAfterEncryption->setChecked(showOutput);
    // The name typed without its extension gets ".srtf".
    const QString path = desktopFile(QStringLiteral("secret"));

    secureWith(*m_layout, QStringLiteral("Kéy wörd"), QStringLiteral("Kéy wörd"), path);

    const QString written = path + QStringLiteral(".srtf");
    QVERIFY(!QApplication::activeModalWidget());
    const QByteArray document = testsupport::readFile(written);
    QVERIFY(document.startsWith("U2FsdGVkX1"));
    QCOMPARE(state.fileName, written);
    QCOMPARE(state.DataToWrite, rtf);
    QCOMPARE(engine.setFileNameLabel->text(), written);
    QCOMPARE(labelColor(engine.setFileNameLabel), colors::blue());
    QCOMPARE(m_layout->mainWindow->windowTitle(), written);
    QVERIFY(state.isLastSavedASecureFile);
    QVERIFY(!state.textChanged);
    QVERIFY(!engine.windowEnterKeyWord->isVisible());
    QCOMPARE(engine.textfieldKeyword->text(), QStringLiteral("Kéy wörd"));
    QCOMPARE(engine.textfieldKeyword2->text(), QStringLiteral("Kéy wörd"));

    if (showOutput) {
        QCOMPARE(engine.VelkoField->toPlainText().trimmed(),
                 QString::fromLatin1(document).trimmed());
        QTextCursor cursor(engine.VelkoField->document());
        cursor.movePosition(QTextCursor::NextCharacter);
        QCOMPARE(cursor.charFormat().foreground().color(), colors::orange());
        cursor.movePosition(QTextCursor::End);
        QCOMPARE(cursor.charFormat().foreground().color(), colors::orange());
        QVERIFY(engine.VelkoField->isReadOnly());
        QVERIFY(state.textColorSetToOrangeAfterEncryption);
    } else {
        QCOMPARE(engine.VelkoField->toHtml(), htmlBefore);
        QVERIFY(!engine.VelkoField->isReadOnly());
        QVERIFY(!state.textColorSetToOrangeAfterEncryption);
    }

    // The file holds the text's RTF under that cipher and keyword.
    const Result<QByteArray> back =
        engine.pipeline.decipher(written, cipher, QStringLiteral("Kéy wörd"));
    QVERIFY2(back.ok(), back.ok() ? "" : qPrintable(back.error().detail));
    QCOMPARE(back.value(), rtf);
    // Secure adds nothing to the recently used list.
    QVERIFY(
        !testsupport::readFile(m_home.filePath(QStringLiteral(".local/share/recently-used.xbel")))
             .contains("secret"));
}

void SecureTest::emptyKeywordsAndEmptyText()
{
    Engine& engine = *m_layout->engine;
    QVERIFY(engine.VelkoField->isEmpty());
    const QString path = desktopFile(QStringLiteral("empty.srtf"));
    secureWith(*m_layout, QString(), QString(), path);
    QCOMPARE(m_layout->state->fileName, path);
    const Result<QByteArray> back = engine.pipeline.decipher(path, kCipherBlowfish, QString());
    QVERIFY(back.ok());
    QVERIFY(back.value().startsWith("{\\rtf"));
    QCOMPARE(back.value(), m_layout->state->DataToWrite);
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
    QTest::newRow("parent is a file")
        << QStringLiteral("plain.txt/doc.srtf") << openssl << kRc5Module << kCipherDes3 << fine;
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
    QVERIFY(testsupport::writeFile(m_home.filePath(QStringLiteral("plain.txt")), "plain"));
    const QString path = m_home.filePath(where);
    const bool existing = where.contains(QLatin1String("existing"));
    if (existing)
        QVERIFY(testsupport::writeFile(path, "the old secure document"));
    engine.pipeline = CipherPipeline(tool, rc5Module);
    engine.selectCipher(cipher);
    putFormattedText(engine.VelkoField);
    typeIntoView(*m_layout, QStringLiteral("x"));
    engine.chkBoxShowEncryptedOutputAfterEncryption->setChecked(true);
    const Snapshot before = Snapshot::of(*m_layout);

    if (existing) // the panel asks before choosing an existing file
        testsupport::answerNextAlert(QStringLiteral("&Yes"));
    secureWith(*m_layout, keyword, keyword, path);

    QString informative;
    QCOMPARE(takeAlertText(&informative), QStringLiteral("The document could not be secured."));
    QVERIFY(!informative.isEmpty());
    QCOMPARE(Snapshot::of(*m_layout), before);
    QVERIFY(isChildWindowAttached(engine.mainWindow, engine.windowEnterKeyWord));
    QCOMPARE(engine.textfieldKeyword->text(), keyword);
    if (existing)
        QCOMPARE(testsupport::readFile(path), QByteArray("the old secure document"));
    else
        QVERIFY(!QFile::exists(path));
    // Nothing was left beside the document either.
    QStringList leftovers = QDir(m_desktop).entryList(QDir::Files | QDir::Hidden);
    leftovers.removeAll(QStringLiteral("existing.srtf"));
    QCOMPARE(leftovers, QStringList());
}

SECURE_TEST_MAIN(SecureTest)
#include "tst_secure_lock.moc"
