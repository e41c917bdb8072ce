// Secure and Unlock through the real keyword windows and the real openssl.
#include "testsupport.h"

#include "core/cipheroption.h"
#include "engine/textedit/textinsert.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QPropertyAnimation>
#include <QTextTable>
#include <QTimer>

using namespace velko;
using namespace testsupport;

class SecureTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QDir(m_home.filePath("Desktop")).removeRecursively();
        m_desktop = m_home.makeDesktop();
        m_layout = makeDocumentWindow();
    }

    void cleanup()
    {
        dismissModals();
        m_layout.reset();
    }

    void locksAndUnlocksWithEachCipher_data()
    {
        QTest::addColumn<QString>("cipher");
        QTest::addColumn<QString>("chosen"); // in the window when unlocking
        QTest::addColumn<bool>("showOutput");
        bool shown = true;
        for (const QString& cipher : allCipherOptions()) {
            QTest::addRow("%s, %s", qPrintable(cipher), shown ? "shown" : "not shown")
                << cipher << cipher << shown;
            shown = !shown;
        }
        QTest::newRow("-des3, -rc4 chosen") << QString(kCipherDes3) << QString(kCipherRc4) << true;
    }

    // Secure writes the rich text (pictures and tables too) locked, shows the
    // output orange and read-only or leaves the text, and keeps no keyword;
    // Unlock brings it back as it was, with the cipher that opened it.
    void locksAndUnlocksWithEachCipher()
    {
        QFETCH(QString, cipher);
        QFETCH(QString, chosen);
        QFETCH(bool, showOutput);
        Engine& engine = *m_layout->engine;
        const DocumentState& state = *m_layout->state;
        engine.selectCipher(cipher);
        {
            VelkoTextView::CodeChange change(engine.VelkoField);
            engine.VelkoField->setHtml(
                "<p style=\"font-family:'DejaVu Sans'; font-size:12pt\">Plain start, <b>bold</b>"
                "<span style=\"font-family:'DejaVu Serif'; font-size:18pt; color:#008000\"> "
                "green</span></p><p><i style=\"color:#c80000\">Здравей, свят — ключ ✓ 日本語 "
                "ünïcödé</i></p>");
            QTextCursor cursor(engine.VelkoField->document());
            cursor.movePosition(QTextCursor::End);
            QImage picture(6, 4, QImage::Format_RGB32);
            picture.fill(Qt::darkCyan);
            QVERIFY(textinsert::insertImage(cursor, picture));
            textinsert::insertTable(cursor, 2, 2)
                ->cellAt(1, 1)
                .firstCursorPosition()
                .insertText("cell");
        }
        typeIntoView(*m_layout, "!"); // unsaved: the label turns red
        const QString htmlBefore = engine.VelkoField->toHtml();
        const QByteArray rtf = engine.VelkoField->rtfOfWholeText();
        engine.chkBoxShowEncryptedOutputAfterEncryption->setChecked(showOutput);
        const QString keyword = QStringLiteral("sésame ouvre-toi");

        // A cancelled panel keeps the window: OK asks again. A name typed without
        // its extension gets ".srtf".
        secureWith(*m_layout, keyword, keyword, QString());
        answerNextModalPanel(m_desktop + "/secret");
        button(engine.windowEnterKeyWord, "btnOKEnterKeyword")->click();
        const QString path = m_desktop + "/secret.srtf";
        QCOMPARE(state.fileName, path);
        QCOMPARE(state.DataToWrite, rtf);
        QCOMPARE(flagsOf(*m_layout), showOutput ? "clean secure orange read-only" : "clean secure");
        QVERIFY(!isChildWindowAttached(engine.mainWindow, engine.windowEnterKeyWord));
        QVERIFY(engine.textfieldKeyword->text().isEmpty() &&
                engine.textfieldKeyword2->text().isEmpty());
        // The Base64 text is not locked again.
        QCOMPARE(m_layout->action("btnSecureText")->isEnabled(), !showOutput);
        QTextCursor end(engine.VelkoField->document());
        end.movePosition(QTextCursor::End);
        if (showOutput)
            QCOMPARE(engine.VelkoField->toPlainText().trimmed(),
                     QString::fromLatin1(readFile(path)).trimmed());
        QVERIFY(showOutput ? end.charFormat().foreground().color() == colors::orange()
                           : engine.VelkoField->toHtml() == htmlBefore);

        // Another cipher than the one chosen opens it: that is told, and it is chosen.
        m_layout->mainWindow->setWindowTitle("elsewhere");
        engine.selectCipher(chosen);
        unlockWith(*m_layout, keyword, path);
        if (chosen != cipher)
            QVERIFY(takeAlertText().contains(cipherDisplayName(cipher)));
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(engine.VelkoField->rtfOfWholeText(), rtf);
        QCOMPARE(flagsOf(*m_layout), "clean secure");
        QCOMPARE(state.cipher, cipher);
        QCOMPARE(engine.cipherPopUpButton->currentData().toString(), cipher);
        QCOMPARE(m_layout->mainWindow->windowTitle(), path);
        QVERIFY(engine.textFieldKeywordUnlock->text().isEmpty());
        QVERIFY(!isChildWindowAttached(engine.mainWindow, engine.windowUnlockKeyword));
        // The text came in from code: the next keystroke is the first edit.
        typeIntoView(*m_layout, "z");
        QCOMPARE(flagsOf(*m_layout), "edited secure");
        // Secure documents stay off the desktop's recent list.
        QVERIFY(!readFile(m_home.filePath(".local/share/recently-used.xbel")).contains("secret"));
    }

    // Keywords that differ are told as typed (to assistive tools too); OK then
    // shakes the window, and pressed again mid-shake (Return) starts the shake
    // afresh from the resting frame, not from where the first had swung to.
    void mismatchShownAndShakesFromTheRestingFrame()
    {
        Engine& engine = *m_layout->engine;
        QWidget* window = engine.windowEnterKeyWord;
        m_layout->action("btnSecureText")->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        auto* indicator = window->findChild<QLabel*>("keywordMatchIndicator");
        QVERIFY(indicator && !indicator->accessibleName().isEmpty());
        engine.textfieldKeyword->setFocus();
        QTest::keyClicks(engine.textfieldKeyword, "ab");
        engine.textfieldKeyword2->setFocus();
        QTest::keyClicks(engine.textfieldKeyword2, "a");
        QCOMPARE(indicator->text(), "Keywords do not match");
        QTest::keyClicks(engine.textfieldKeyword2, "b");
        QVERIFY(indicator->text() == "Keywords match" &&
                indicator->accessibleDescription() == "Keywords match");
        // It reads on a dark window too.
        QPalette dark = window->palette();
        dark.setColor(QPalette::Window, QColor(40, 40, 40));
        window->setPalette(dark);
        QVERIFY(indicator->palette().color(QPalette::WindowText).lightness() > 128);
        QTest::keyClicks(engine.textfieldKeyword2, "c");

        const QRect frame = window->frameGeometry();
        button(window, "btnOKEnterKeyword")->click();
        auto* first = window->findChild<QPropertyAnimation*>();
        QVERIFY(first);
        first->pause();
        first->setCurrentTime(qRound(500.0 / 17 * 3)); // swung to the left
        QVERIFY(window->x() < frame.x());
        QTest::keyClick(engine.textfieldKeyword2, Qt::Key_Return);
        QCOMPARE(first->state(), QAbstractAnimation::Stopped);
        QPropertyAnimation* second = nullptr;
        for (auto* animation : window->findChildren<QPropertyAnimation*>())
            second = animation->state() == QAbstractAnimation::Running ? animation : second;
        QVERIFY(second && second != first);
        QCOMPARE(second->keyValueAt(0).toPoint(), frame.topLeft());
        QTRY_VERIFY_WITH_TIMEOUT(!window->findChild<QPropertyAnimation*>(), 3000);
        QCOMPARE(window->frameGeometry(), frame);
    }

private:
    TempHome m_home;
    QString m_desktop;
    std::unique_ptr<Layout> m_layout;
};

QTEST_MAIN(SecureTest)
#include "tst_secure.moc"
