// Every way a command fails or is called off, through the real windows:
// a failure is told (a command called off tells nothing), and the document,
// its windows and the files on disk are as they were.
#include "testsupport.h"

#include "core/cipheroption.h"
#include "engine/errortext.h"

#include <QCheckBox>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include <optional>

using namespace velko;
using namespace testsupport;

namespace {

// The steps of the keyword windows' commands.
QStringList secure(const QString& keyword, const QString& panelAnswer,
                   const QStringList& thenAnswers = {})
{
    return QStringList{"btnSecureText", "textfieldKeyword=" + keyword,
                       "textfieldKeyword2=" + keyword, "panel:" + panelAnswer} +
           thenAnswers + QStringList{"btnOKEnterKeyword"};
}
QStringList unlock(const QString& keyword, const QString& panelAnswer)
{
    return {"btnUnlockText", "textFieldKeywordUnlock=" + keyword, "panel:" + panelAnswer,
            "btnUnlockTextOk"};
}

} // namespace

class NothingChangedTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home.emplace();
        m_home->makeDesktop();
        m_layout = makeDocumentWindow();
        m_answersSinceAction = 0;
    }
    void cleanup()
    {
        QTRY_COMPARE(answersPending(), 0);
        dismissModals();
        m_layout.reset();
        m_home.reset();
    }
    void toldAndNothingChanged_data();
    void toldAndNothingChanged();

private:
    QString home(const QString& name) const { return m_home->filePath(name); }
    // The files in the home, but for the settings the file panels keep.
    QMap<QString, QByteArray> filesInHome() const
    {
        QMap<QString, QByteArray> files = filesUnder(m_home->path());
        files.remove(QStringLiteral(".config/QtProject.conf"));
        return files;
    }
    void prepare(const QString& step);
    void run(const QString& step);

    std::optional<TempHome> m_home;
    std::unique_ptr<Layout> m_layout;
    int m_answersSinceAction = 0;
};

// setup: where the document and the files stand before the command.
//   "edited"       unsaved edits (and the secure output would be shown)
//   "secured"      the text secured, its output shown orange and read-only
//   "path:NAME", "secure flag", "tool:PATH", "module:PATH", "cipher:OPTION"
//   "NAME=TEXT"    a file; "<folder>" a folder, "<locked>" a secret locked
//                  with "right", "<locked deep>" one whose RTF cannot be read
// steps: the command, each step after the answers of the one before.
//   "alert:BUTTON" presses BUTTON on the next alert
//   "panel:NAME"   answers the next panel ("panel:" cancels it)
//   "request:NAME" the desktop hands over a file; "recent:NAME" Open Recent
//   "FIELD=TEXT"   fills a keyword field, which keeps TEXT when `kept`
//   anything else  the action or button of that name
// told: the failure's title, or nothing. open: the child window left open.
void NothingChangedTest::toldAndNothingChanged_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("told");
    QTest::addColumn<QString>("open");
    QTest::addColumn<bool>("kept");
    const auto row = [](const char* name, const QStringList& setup, const QStringList& steps,
                        Operation told = Operation(-1), const char* open = "", bool kept = true) {
        QTest::newRow(name) << setup << steps
                            << (told == Operation(-1) ? QString() : failureTitle(told))
                            << QString::fromLatin1(open) << kept;
    };
    const Operation none = Operation(-1);
    const QStringList edited{"edited"};
    const QStringList secured{"secured"};

    row("save in place, a folder there", {"edited", "path:f.rtf", "f.rtf=<folder>"},
        {"btnSaveAction"}, Operation::Save);
    row("save as, no such folder", edited, {"panel:missing/doc.rtf", "btnSaveAsAction"},
        Operation::Save);
    row("save, enciphered view, Cancel", secured, {"alert:Cancel", "btnSaveAction"});
    row("save, secure flag, Cancel", {"edited", "path:p.rtf", "secure flag"},
        {"alert:Cancel", "btnSaveAction"});
    row("save, untitled, panel cancelled", edited, {"panel:", "btnSaveAction"});
    row("open, no such file", secured, {"recent:gone.rtf"}, Operation::Open);
    row("open, plain text", {"secured", "t.rtf=just words\n"}, {"recent:t.rtf"}, Operation::Open);
    row("open, empty", {"edited", "e.rtf="}, {"alert:Open anyway", "recent:e.rtf"},
        Operation::Open);
    row("open, edited, Cancel", edited, {"alert:Cancel", "btnOpenAction"});
    row("open, Open anyway, panel cancelled", edited,
        {"alert:Open anyway", "panel:", "btnOpenAction"});
    row("new, edited, Cancel", edited, {"alert:Cancel", "btnNewAction"});
    row("quit, edited, Cancel", edited, {"alert:Cancel", "btnQuitAction"});
    row("close window, edited, Cancel", edited, {"alert:Cancel", "close"});

    row("secure, no such folder", edited, secure("keyword", "missing/folder/doc.srtf"),
        Operation::Secure, "windowEnterKeyWord");
    row("secure, no openssl, over a file",
        {"edited", "Desktop/old.srtf=the old secure document", "tool:/nonexistent/openssl"},
        secure("keyword", "Desktop/old.srtf", {"alert:&Yes"}), // the panel asks first
        Operation::Secure, "windowEnterKeyWord");
    row("secure, RC5 unavailable", {"edited", "module:/nonexistent/velkorc5.so", "cipher:-rc5"},
        secure("keyword", "Desktop/rc5.srtf"), Operation::Secure, "windowEnterKeyWord");
    row("secure, keyword refused", {"edited", "cipher:-rc4"},
        secure(QString(1500, QLatin1Char('k')), "Desktop/long.srtf"), Operation::Secure,
        "windowEnterKeyWord");
    row("secure, panel cancelled", edited, secure("kw", ""), none, "windowEnterKeyWord");
    // Composed and decomposed forms are not the same keyword: a shake, no panel.
    row("secure, keywords differ", edited,
        {"btnSecureText", "textfieldKeyword=caf\u00e9", "textfieldKeyword2=cafe\u0301",
         "btnOKEnterKeyword"},
        none, "windowEnterKeyWord");
    // A closed keyword window forgets what was typed.
    row("secure, Cancel", edited,
        {"btnSecureText", "textfieldKeyword=first", "textfieldKeyword2=second",
         "btnCancelEnterKeyword"},
        none, "", false);
    row("secure, Cancel, shown again", edited,
        {"btnSecureText", "textfieldKeyword=first", "textfieldKeyword2=second",
         "btnCancelEnterKeyword", "btnSecureText"},
        none, "windowEnterKeyWord", false);

    const auto unlockRows = [&](const char* fault, const QStringList& setup, const char* keyword) {
        for (const bool edit : {false, true})
            row(qPrintable(
                    QStringLiteral("unlock, %1, %2").arg(fault, edit ? "edited" : "secured")),
                (edit ? edited : secured) + setup,
                (edit ? QStringList{"alert:Open anyway"} : QStringList()) +
                    unlock(keyword, "t.srtf"),
                Operation::Unlock, "windowUnlockKeyword", false);
    };
    unlockRows("wrong keyword", {"t.srtf=<locked>"}, "wrong");
    unlockRows("plain RTF", {"t.srtf={\\rtf1\\ansi Plain}"}, "right");
    unlockRows("no openssl", {"t.srtf=<locked>", "tool:/nonexistent/openssl"}, "right");
    unlockRows("nested too deep", {"t.srtf=<locked deep>"}, "right");
    unlockRows("changed after locking", {"t.srtf=<locked changed>"}, "right");
    row("unlock, edited, Cancel", edited, {"alert:Cancel", "btnUnlockText"});
    row("unlock, panel cancelled", {}, unlock("kw", ""), none, "windowUnlockKeyword");
    row("unlock, Cancel", {}, {"btnUnlockText", "textFieldKeywordUnlock=kw", "btnUnlockTextCancel"},
        none, "", false);
    row("unlock, Cancel, shown again", {},
        {"btnUnlockText", "textFieldKeywordUnlock=kw", "btnUnlockTextCancel", "btnUnlockText"},
        none, "windowUnlockKeyword", false);

    const QStringList ok{"fieldKeyWord=right", "btnOpenLockedFileOK"};
    row("request, wrong keyword", {"secured", "a.srtf=<locked>"},
        {"request:a.srtf", "fieldKeyWord=wrong", "btnOpenLockedFileOK"}, Operation::Unlock,
        "windowUnlockFileWithKeyword", false);
    row("request, wrong keyword, edited", {"edited", "a.srtf=<locked>"},
        {"request:a.srtf", "fieldKeyWord=wrong", "alert:Open anyway", "btnOpenLockedFileOK"},
        Operation::Unlock, "windowUnlockFileWithKeyword", false);
    row("request, damaged", {"secured", "a.srtf=U2FsdGVkX1+garbage/garbage==\n"},
        QStringList("request:a.srtf") + ok, Operation::Unlock, "windowUnlockFileWithKeyword",
        false);
    row("request, no such file", secured, {"request:missing.rtf"}, Operation::Open);
    row("request, not RTF", {"secured", "notes.rtf=just words\n"}, {"request:notes.rtf"},
        Operation::Open);
    row("request, plain, edited, Cancel", {"edited", "p.rtf={\\rtf1 Plain}"},
        {"alert:Cancel", "request:p.rtf"});
    row("request, secure, edited, Cancel", {"edited", "s.srtf=<locked>"},
        {"request:s.srtf", "fieldKeyWord=right", "alert:Cancel", "btnOpenLockedFileOK"}, none,
        "windowUnlockFileWithKeyword");
    row("request, window's Cancel, edited, Cancel", edited,
        {"request:x.srtf", "alert:Cancel", "btnOpenLockedFileCancel"}, none,
        "windowUnlockFileWithKeyword");
}

void NothingChangedTest::prepare(const QString& step)
{
    Engine& engine = *m_layout->engine;
    const QString value = step.section(QLatin1Char(':'), 1);
    if (step == QLatin1String("edited")) {
        typeIntoView(*m_layout, QStringLiteral("unsaved words"));
        engine.chkBoxShowEncryptedOutputAfterEncryption->setChecked(true);
    } else if (step == QLatin1String("secured")) {
        engine.chkBoxShowEncryptedOutputAfterEncryption->setChecked(true);
        secureWith(*m_layout, "right", "right", home("Desktop/current.srtf"));
    } else if (step == QLatin1String("secure flag")) {
        m_layout->state->isLastSavedASecureFile = true;
    } else if (step.startsWith(QLatin1String("path:"))) {
        setDocumentPath(*m_layout, home(value));
    } else if (step.startsWith(QLatin1String("tool:"))) {
        engine.pipeline = CipherPipeline(value, kRc5Module);
    } else if (step.startsWith(QLatin1String("module:"))) {
        engine.pipeline = CipherPipeline(CipherPipeline::defaultToolPath(), value);
    } else if (step.startsWith(QLatin1String("cipher:"))) {
        engine.selectCipher(value);
    } else if (step.contains(QLatin1Char('='))) {
        const QString path = home(step.section(QLatin1Char('='), 0, 0));
        const QString content = step.section(QLatin1Char('='), 1);
        if (content == QLatin1String("<folder>")) {
            QVERIFY(QDir().mkpath(path));
        } else if (content == QLatin1String("<locked deep>")) {
            // Lock refuses such a document; the stock tool does not.
            QProcess tool;
            tool.start(QStringLiteral("/usr/bin/openssl"), {"enc", "-des3", "-md", "sha256", "-a",
                                                            "-pass", "pass:right", "-out", path});
            QVERIFY(tool.waitForStarted());
            tool.write("{\\rtf1" + QByteArray(200000, '{') + QByteArray(200000, '}') + "}");
            tool.closeWriteChannel();
            QVERIFY(tool.waitForFinished() && tool.exitCode() == 0);
        } else if (content.startsWith(QLatin1String("<locked"))) {
            QVERIFY(
                engine.pipeline.encipher("{\\rtf1\\ansi Secret}", kCipherBlowfish, "right", path)
                    .ok());
            if (content == QLatin1String("<locked changed>")) {
                QByteArray raw = QByteArray::fromBase64(readFile(path));
                raw[raw.size() / 2] = char(raw[raw.size() / 2] ^ 1);
                QVERIFY(writeFile(path, raw.toBase64() + '\n'));
            }
        } else {
            QVERIFY(writeFile(path, content.toUtf8()));
        }
    }
}

void NothingChangedTest::run(const QString& step)
{
    const QString value = step.section(QLatin1Char(':'), 1);
    if (step.startsWith(QLatin1String("alert:")) || step.startsWith(QLatin1String("panel:"))) {
        if (step.startsWith(QLatin1String("alert:")))
            answerNextAlert(value);
        else
            answerNextModalPanel(value.isEmpty() ? QString() : home(value));
        ++m_answersSinceAction;
        return;
    }
    // Each step waits for the answers the one before it needed.
    QTRY_VERIFY(answersPending() <= m_answersSinceAction);
    m_answersSinceAction = 0;
    QMainWindow* window = m_layout->mainWindow.get();
    if (step.startsWith(QLatin1String("request:"))) {
        m_layout->appController->application(qApp, home(value));
    } else if (step.startsWith(QLatin1String("recent:"))) {
        m_layout->engine->openRecentDocument(home(value));
    } else if (step == QLatin1String("close")) {
        window->close();
    } else if (step.contains(QLatin1Char('='))) {
        auto* field = window->findChild<QLineEdit*>(step.section(QLatin1Char('='), 0, 0));
        QVERIFY2(field, qPrintable(step));
        field->setText(step.section(QLatin1Char('='), 1));
    } else if (QAction* action = m_layout->action(step)) {
        action->trigger();
    } else {
        QPushButton* pushButton = window->findChild<QPushButton*>(step);
        QVERIFY2(pushButton, qPrintable(step));
        pushButton->click();
    }
}

void NothingChangedTest::toldAndNothingChanged()
{
    QFETCH(QStringList, setup);
    QFETCH(QStringList, steps);
    QFETCH(QString, told);
    QFETCH(QString, open);
    QFETCH(bool, kept);
    for (const QString& step : setup)
        prepare(step);
    const QStringList before = snapshotOf(*m_layout);
    const QMap<QString, QByteArray> filesBefore = filesInHome();
    QSignalSpy quitByEngine(m_layout->engine, &Engine::terminateRequested);
    QSignalSpy quitByController(m_layout->appController, &AppController::terminateRequested);

    for (const QString& step : steps) {
        run(step);
        if (QTest::currentTestFailed())
            return;
    }
    QTRY_COMPARE(answersPending(), 0);
    if (told.isEmpty()) {
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    } else {
        QMessageBox* alert = waitForAlert();
        QVERIFY(alert);
        QCOMPARE(alert->text(), told);
        // Why, in one plain sentence that does not say the title again; a
        // technical detail may follow it.
        const QString why = alert->informativeText().section(QStringLiteral("\n\n"), 0, 0);
        static const QRegularExpression nextSentence(QStringLiteral("[.!?:]\\s+\\p{Lu}"));
        QVERIFY2(why.endsWith(QLatin1Char('.')) && !why.contains(nextSentence), qPrintable(why));
        QVERIFY2(!why.startsWith(told.chopped(1)), qPrintable(why));
        if (QByteArray(QTest::currentDataTag()).contains("changed after locking"))
            QVERIFY(alert->informativeText().contains(QLatin1String("changed or damaged")));
        // A file that could not be read or written is named.
        QString file;
        for (const QString& step : setup + steps) {
            for (const char* kind : {"path:", "panel:", "recent:", "request:"})
                file = step.startsWith(QLatin1String(kind)) ? home(step.section(':', 1)) : file;
        }
        if (told == failureTitle(Operation::Save) || told == failureTitle(Operation::Open))
            QVERIFY2(alert->informativeText().contains(file), qPrintable(file));
        alert->close();
    }
    // The window left open has the keyboard again, in its keyword field.
    if (!open.isEmpty()) {
        auto* child = m_layout->mainWindow->findChild<QWidget*>(open);
        QTRY_COMPARE(QApplication::activeWindow(), child);
        QVERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        QCOMPARE(QApplication::focusWidget()->window(), child);
    }
    QCOMPARE(snapshotOf(*m_layout), before);
    QCOMPARE(filesInHome(), filesBefore);
    QVERIFY(quitByEngine.isEmpty() && quitByController.isEmpty());
    QVERIFY(m_layout->mainWindow->isVisible());
    for (const char* name :
         {"windowEnterKeyWord", "windowUnlockKeyword", "windowUnlockFileWithKeyword"}) {
        auto* child = m_layout->mainWindow->findChild<QWidget*>(name);
        QCOMPARE(isChildWindowAttached(m_layout->mainWindow.get(), child), open == name);
    }
    for (const QString& step : steps) {
        if (step.contains(QLatin1Char('=')) && !step.contains(QLatin1Char(':'))) {
            auto* field = m_layout->mainWindow->findChild<QLineEdit*>(step.section('=', 0, 0));
            QCOMPARE(field->text(), kept ? step.section(QLatin1Char('='), 1) : QString());
        }
    }
}

QTEST_MAIN(NothingChangedTest)
#include "tst_nothingchanged.moc"
