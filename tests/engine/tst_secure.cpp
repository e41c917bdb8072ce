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
        QDir(m_home.filePath(QStringLiteral("Desktop"))).removeRecursively();
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

    void locksAndUnlocksWithEachCipher()
    {
        QFETCH(QString, cipher);
        QFETCH(QString, chosen);
        QFETCH(bool, showOutput);
        Engine& engine = *m_layout->engine;
        const DocumentState& state = *m_layout->state;
        engine.selectCipher(cipher);
        {
            // Rich text, two paragraphs beyond Latin-1.
            VelkoTextView::CodeChange change(engine.VelkoField);
            engine.VelkoField->setHtml(QStringLiteral(
                "<p style=\"font-family:'DejaVu Sans'; font-size:12pt\">Plain start, "
                "<b>bold</b><span "
                "style=\"font-family:'DejaVu Serif'; font-size:18pt; color:#008000\"> "
                "green</span></p>"
                "<p><i style=\"color:#c80000\">Здравей, свят — ключ ✓ 日本語 ünïcödé</i></p>"));
            // A picture and a table travel like any other content.
            QTextCursor cursor(engine.VelkoField->document());
            cursor.movePosition(QTextCursor::End);
            QImage picture(6, 4, QImage::Format_RGB32);
            picture.fill(Qt::darkCyan);
            QVERIFY(textinsert::insertImage(cursor, picture));
            textinsert::insertTable(cursor, 2, 2)
                ->cellAt(1, 1)
                .firstCursorPosition()
                .insertText(QStringLiteral("cell"));
        }
        typeIntoView(*m_layout, QStringLiteral("!")); // unsaved: the label turns red
        const QString htmlBefore = engine.VelkoField->toHtml();
        const QByteArray rtf = engine.VelkoField->rtfOfWholeText();
        engine.chkBoxShowEncryptedOutputAfterEncryption->setChecked(showOutput);
        const QString keyword = QStringLiteral("sésame ouvre-toi");

        // A cancelled panel keeps the window: OK asks again. A name typed without
        // its extension gets ".srtf".
        secureWith(*m_layout, keyword, keyword, QString());
        answerNextModalPanel(m_desktop + QStringLiteral("/secret"));
        button(engine.windowEnterKeyWord, "btnOKEnterKeyword")->click();
        const QString path = m_desktop + QStringLiteral("/secret.srtf");
        QCOMPARE(state.fileName, path);
        QCOMPARE(state.DataToWrite, rtf);
        QCOMPARE(flagsOf(*m_layout), showOutput ? "clean secure orange read-only" : "clean secure");
        QVERIFY(!isChildWindowAttached(engine.mainWindow, engine.windowEnterKeyWord));
        // The keyword does not stay in the window; the Base64 text is not locked again.
        QVERIFY(engine.textfieldKeyword->text().isEmpty() &&
                engine.textfieldKeyword2->text().isEmpty());
        QCOMPARE(m_layout->action("btnSecureText")->isEnabled(), !showOutput);
        if (showOutput) {
            QCOMPARE(engine.VelkoField->toPlainText().trimmed(),
                     QString::fromLatin1(readFile(path)).trimmed());
            QTextCursor cursor(engine.VelkoField->document());
            cursor.movePosition(QTextCursor::End);
            QCOMPARE(cursor.charFormat().foreground().color(), colors::orange());
        } else {
            QCOMPARE(engine.VelkoField->toHtml(), htmlBefore);
        }

        // Unlock brings the rich text back, editable, in its own colours. Another
        // cipher than the one chosen opens it: that is told, and it is chosen.
        m_layout->mainWindow->setWindowTitle(QStringLiteral("elsewhere"));
        engine.selectCipher(chosen);
        unlockWith(*m_layout, keyword, path);
        if (chosen == cipher) {
            QVERIFY(!QApplication::activeModalWidget());
        } else {
            const QString notice = takeAlertText();
            QVERIFY2(notice.contains(cipherDisplayName(cipher)), qPrintable(notice));
        }
        QCOMPARE(engine.VelkoField->rtfOfWholeText(), rtf);
        QCOMPARE(flagsOf(*m_layout), "clean secure");
        QCOMPARE(state.cipher, cipher);
        QCOMPARE(engine.cipherPopUpButton->currentData().toString(), cipher);
        QCOMPARE(m_layout->mainWindow->windowTitle(), path);
        QVERIFY(engine.textFieldKeywordUnlock->text().isEmpty());
        QVERIFY(!isChildWindowAttached(engine.mainWindow, engine.windowUnlockKeyword));

        // The text came in from code: the next keystroke is the first edit.
        typeIntoView(*m_layout, QStringLiteral("z"));
        QCOMPARE(flagsOf(*m_layout), "edited secure");
        // Secure documents stay off the desktop's recent list.
        QVERIFY(!readFile(m_home.filePath(QStringLiteral(".local/share/recently-used.xbel")))
                     .contains("secret"));
    }

    // OK pressed again mid-shake (Return in a field presses it) stops the first
    // shake and starts one built from the resting frame, not from where the
    // first had swung to.
    void mismatchShakesFromTheRestingFrame()
    {
        Engine& engine = *m_layout->engine;
        QWidget* window = engine.windowEnterKeyWord;
        m_layout->action("btnSecureText")->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QRect frame = window->frameGeometry();
        engine.textfieldKeyword->setText(QStringLiteral("a"));
        engine.textfieldKeyword2->setText(QStringLiteral("b"));
        button(window, "btnOKEnterKeyword")->click();

        auto* first = window->findChild<QPropertyAnimation*>();
        QVERIFY(first);
        first->pause();
        first->setCurrentTime(qRound(500.0 / 17 * 3)); // swung to the left
        QVERIFY(window->x() < frame.x());

        QTest::keyClick(engine.textfieldKeyword2, Qt::Key_Return);
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
    }

    void matchIndicatorFollowsTyping()
    {
        Engine& engine = *m_layout->engine;
        m_layout->action("btnSecureText")->trigger();
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
        // It reads on a dark window too.
        QPalette dark = engine.windowEnterKeyWord->palette();
        dark.setColor(QPalette::Window, QColor(40, 40, 40));
        engine.windowEnterKeyWord->setPalette(dark);
        QVERIFY(indicator->palette().color(QPalette::WindowText).lightness() > 128);
    }

private:
    TempHome m_home;
    QString m_desktop;
    std::unique_ptr<Layout> m_layout;
};

QTEST_MAIN(SecureTest)
#include "tst_secure.moc"
