// Auto-lock of an open secure document in the real window: the idle time on
// a clock the test turns, the screen-lock and sleep signals on a private
// bus, the keyword that opens it again, and the clipboard.
#include "testsupport.h"

#include "app/sessionwatch.h"
#include "core/preferences.h"
#include "feedback/clipboardguard.h"
#include "feedback/documentstatus.h"

#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QMenu>
#include <QProcess>

using namespace velko;
using namespace testsupport;

namespace {

const QString kSession = QStringLiteral("/org/freedesktop/login1/session/_31");
const QString kOtherSession = QStringLiteral("/org/freedesktop/login1/session/_32");
const QString kKeyword = QStringLiteral("Kéy wörd");
const qint64 kMinute = 60 * 1000;

// logind as far as the window asks it: which session this is.
class FakeLogin : public QObject
{
    Q_OBJECT
public:
    int asked = 0;
public slots:
    QDBusObjectPath GetSession(const QString&)
    {
        ++asked;
        return QDBusObjectPath(kSession);
    }
};

// Every text the accessibility layer offers of `node` and what it holds.
QString accessibleText(QAccessibleInterface* node)
{
    QString all = node->text(QAccessible::Name) + '\n' + node->text(QAccessible::Value);
    if (QAccessibleTextInterface* text = node->textInterface())
        all += '\n' + text->text(0, text->characterCount());
    for (int i = 0; i < node->childCount(); ++i)
        all += node->child(i) ? '\n' + accessibleText(node->child(i)) : QString();
    return all;
}

QString clipboardText()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data ? data->text() : QString();
}

} // namespace

class AutoLockTest : public QObject
{
    Q_OBJECT

private slots:
    // A private bus where this test plays the desktop and logind.
    void initTestCase()
    {
        m_busDaemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        QVERIFY(m_busDaemon.waitForReadyRead(10000));
        const QString address = QString::fromUtf8(m_busDaemon.readLine()).trimmed();
        m_desktop = QDBusConnection::connectToBus(address, "velko-test-desktop");
        m_window = QDBusConnection::connectToBus(address, "velko-test-window");
        QVERIFY(m_desktop.registerService("org.freedesktop.login1"));
        QVERIFY(m_desktop.registerObject("/org/freedesktop/login1",
                                         "org.freedesktop.login1.Manager", &m_login,
                                         QDBusConnection::ExportAllSlots));
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus("velko-test-desktop");
        QDBusConnection::disconnectFromBus("velko-test-window");
        m_busDaemon.kill();
        m_busDaemon.waitForFinished();
    }

    void init()
    {
        m_layout = makeDocumentWindow();
        m_now = 0;
        m_layout->engine->setIdleClock([this] { return m_now; });
        const int asked = m_login.asked;
        lockWhenLeaving(*m_layout, m_window, m_window);
        // The watch follows this session once logind has told which it is.
        QTRY_VERIFY(m_login.asked > asked);
        QTest::qWait(200);
    }

    void cleanup()
    {
        dismissModals();
        m_layout.reset();
    }

    void triggersLockAnOpenSecureDocument_data()
    {
        QTest::addColumn<QString>("document"); // "unlocked", "secured", "plain", "new after unlock"
        QTest::addColumn<bool>("edited");
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<bool>("locks");
        QTest::newRow("idle") << "unlocked" << false << "idle" << true;
        QTest::newRow("screen saver on") << "unlocked" << true << "screen saver on" << true;
        QTest::newRow("session lock") << "secured" << true << "session lock" << true;
        QTest::newRow("before sleep") << "secured" << false << "sleep" << true;
        QTest::newRow("screen saver off") << "unlocked" << false << "screen saver off" << false;
        QTest::newRow("another session") << "unlocked" << false << "other session lock" << false;
        QTest::newRow("waking up") << "unlocked" << false << "wake" << false;
        QTest::newRow("plain file, idle") << "plain" << true << "idle" << false;
        QTest::newRow("new after unlock")
            << "new after unlock" << true << "screen saver on" << false;
    }

    // Five idle minutes, the screen saver, a session lock or sleep lock a secure
    // document: the text leaves the view and the accessibility tree, the saving
    // commands are off, and only the keyword brings it back, edits and all.
    void triggersLockAnOpenSecureDocument()
    {
        QFETCH(QString, document);
        QFETCH(bool, edited);
        QFETCH(QString, trigger);
        QFETCH(bool, locks);
        Layout& layout = *m_layout;
        Engine& engine = *layout.engine;
        VelkoTextView* view = engine.VelkoField;

        const QString secret = QStringLiteral("Secret note");
        if (document == "secured") {
            typeIntoView(layout, secret);
            // A file of its own: the panel would ask before replacing one.
            const QString name = QString::fromLatin1(QTest::currentDataTag()) + ".srtf";
            secureWith(layout, kKeyword, kKeyword, m_home.filePath(name));
        } else if (document == "plain") {
            const QString path = m_home.filePath("plain.rtf");
            QVERIFY(writeFile(path, "{\\rtf1\\ansi " + secret.toUtf8() + "\\par}"));
            engine.openPlainDocument(path);
        } else {
            unlockWith(layout, kKeyword, lockedFile(secret));
            if (document == "new after unlock") {
                layout.action("btnNewAction")->trigger();
                typeIntoView(layout, secret);
            }
        }
        if (edited)
            typeIntoView(layout, " + edits");
        const QString before = view->toPlainText();
        const QStringList stateBefore = snapshotOf(layout);
        QVERIFY(before.contains(secret) && windowShows(secret));

        if (trigger == "idle") {
            // Input restarts the idle time; five minutes without it lock.
            m_now += 4 * kMinute;
            QTest::keyClick(view, Qt::Key_Shift);
            m_now += 4 * kMinute;
            QTest::qWait(1300);
            QVERIFY(!engine.isDocumentLocked());
            m_now += kMinute;
            QTest::qWait(1300);
        } else {
            const QString login = QStringLiteral("org.freedesktop.login1.");
            if (trigger.startsWith("screen saver"))
                send("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged",
                     {trigger.endsWith("on")});
            else if (trigger.endsWith("session lock"))
                send(trigger == "session lock" ? kSession : kOtherSession, login + "Session",
                     "Lock");
            else
                send("/org/freedesktop/login1", login + "Manager", "PrepareForSleep",
                     {trigger == "sleep"});
            QTest::qWait(300);
        }
        QCOMPARE(engine.isDocumentLocked(), locks);
        if (!locks) {
            QCOMPARE(view->toPlainText(), before);
            return;
        }

        QVERIFY(!view->isVisible() && engine.lockedPanel->isVisible());
        QVERIFY(view->toPlainText().isEmpty());
        QVERIFY(!windowShows("Secret"));
        QVERIFY(engine.lockedDocumentLabel->text().contains(".srtf"));
        QTRY_VERIFY(engine.documentStatus->stateText().contains("), locked"));
        QCOMPARE(engine.documentStatus->countsText(), QString());
        QCOMPARE(layout.state->textChanged, edited);
        QVERIFY(!layout.action("btnSaveAction")->isEnabled());
        QVERIFY(!layout.action("btnSecureText")->isEnabled());

        // A wrong keyword is refused, and the field has the focus again.
        engine.textFieldKeywordLocked->setText("wrong");
        button(engine.lockedPanel, "btnOpenLockedDocument")->click();
        QCOMPARE(takeAlertText(), failureTitle(Operation::Unlock));
        QVERIFY(engine.isDocumentLocked());
        QTRY_COMPARE(QApplication::focusWidget(), engine.textFieldKeywordLocked);

        engine.textFieldKeywordLocked->setText(kKeyword);
        button(engine.lockedPanel, "btnOpenLockedDocument")->click();
        QVERIFY(!engine.isDocumentLocked() && view->isVisible());
        QCOMPARE(view->toPlainText(), before);
        QCOMPARE(snapshotOf(layout).mid(0, 4), stateBefore.mid(0, 4)); // flags, path, ciphers
        QCOMPARE(view->document()->isUndoAvailable(), edited);
        QVERIFY(layout.action("btnSaveAction")->isEnabled());
        QVERIFY(engine.textFieldKeywordLocked->text().isEmpty());
    }

    void clipboardKeepsSecureTextBriefly_data()
    {
        QTest::addColumn<bool>("secure");
        QTest::addColumn<QString>("then"); // "lock", "copy elsewhere", "quit"
        QTest::addColumn<bool>("cleared");
        QTest::newRow("secure, lock") << true << "lock" << true;
        QTest::newRow("secure, quit") << true << "quit" << true;
        QTest::newRow("secure, copied elsewhere, lock") << true << "copy elsewhere" << false;
        QTest::newRow("plain, quit") << false << "quit" << false;
    }

    // Text copied from a secure document carries the secret hint and leaves the
    // clipboard with the document; anything else is left alone.
    void clipboardKeepsSecureTextBriefly()
    {
        QFETCH(bool, secure);
        QFETCH(QString, then);
        QFETCH(bool, cleared);
        Engine& engine = *m_layout->engine;
        if (secure)
            unlockWith(*m_layout, kKeyword, lockedFile("Copied secret"));
        else
            engine.VelkoField->setPlainTextFromCode("Copied secret");
        engine.VelkoField->selectAll();
        m_layout->action("editCopy")->trigger();
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data && data->text().contains("Copied secret"));
        QCOMPARE(data->data(SecretMimeData::kHintFormat), secure ? QByteArray("secret") : "");

        if (then == "copy elsewhere")
            QGuiApplication::clipboard()->setText("someone else's");
        const QString expected = clipboardText();
        if (then == "quit")
            m_layout.reset();
        else
            engine.lockDocument();
        QCOMPARE(clipboardText(), cleared ? QString() : expected);
    }

    // The guard's timer clears its own data, not what another copy put there.
    void clearsOnlyItsOwnDataAfterTime()
    {
        ClipboardGuard guard;
        guard.setClearAfterMs(100);
        QClipboard* clipboard = QGuiApplication::clipboard();
        const auto copySecret = [clipboard] {
            auto* secret = new SecretMimeData;
            secret->setText("secret");
            clipboard->setMimeData(secret);
        };
        copySecret();
        QVERIFY(guard.holdsSecret());
        QTRY_COMPARE(clipboardText(), QString());
        copySecret();
        clipboard->setText("someone else's");
        QTest::qWait(300);
        QCOMPARE(clipboardText(), "someone else's");
    }

    // The Preferences window, from the Edit menu, stores what is chosen and the
    // next window starts with it.
    void preferencesAreStored()
    {
        QAction* action = m_layout->action("editPreferences");
        QVERIFY(m_layout->editMenu->actions().contains(action));
        QCOMPARE(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
        action->trigger();
        Engine& engine = *m_layout->engine;
        QVERIFY(isChildWindowAttached(m_layout->mainWindow.get(), engine.windowPreferences));
        for (QComboBox* popUp : {engine.popUpLockAfterIdle, engine.popUpClearClipboardAfter})
            QVERIFY(!popUp->accessibleName().isEmpty());
        QCOMPARE(engine.popUpLockAfterIdle->currentData().toInt(), 5);
        QTest::keyClick(engine.popUpLockAfterIdle, Qt::Key_Up);         // 1 minute
        QTest::keyClick(engine.popUpClearClipboardAfter, Qt::Key_Down); // 2 minutes
        Preferences expected;
        expected.lockAfterIdleMinutes = 1;
        expected.clearClipboardAfterSeconds = 120;
        QVERIFY(loadPreferences() == expected);
        button(engine.windowPreferences, "btnPreferencesClose")->click();
        QVERIFY(!engine.windowPreferences->isVisible());

        m_layout.reset();
        m_layout = makeDocumentWindow();
        QCOMPARE(m_layout->engine->popUpLockAfterIdle->currentData().toInt(), 1);
        savePreferences(Preferences());
    }

private:
    void send(const QString& path, const QString& interface, const QString& name,
              const QVariantList& arguments = {})
    {
        QDBusMessage signal = QDBusMessage::createSignal(path, interface, name);
        signal.setArguments(arguments);
        QVERIFY(m_desktop.send(signal));
    }
    bool windowShows(const QString& text) const
    {
        return accessibleText(QAccessible::queryAccessibleInterface(m_layout->mainWindow.get()))
            .contains(text);
    }
    QString lockedFile(const QString& text)
    {
        const QString path = m_home.filePath("note.srtf");
        const QByteArray rtf = "{\\rtf1\\ansi " + text.toUtf8() + "\\par}";
        if (!m_layout->engine->pipeline.encipher(rtf, kCipherBlowfish, kKeyword.toUtf8(), path))
            qWarning("locking %s failed", qPrintable(path));
        return path;
    }

    TempHome m_home;
    QProcess m_busDaemon;
    QDBusConnection m_desktop{QString()}; // sends what the desktop would
    QDBusConnection m_window{QString()};  // the window's session and system bus
    FakeLogin m_login;
    std::unique_ptr<Layout> m_layout;
    qint64 m_now = 0;
};

QTEST_MAIN(AutoLockTest)
#include "tst_autolock.moc"
