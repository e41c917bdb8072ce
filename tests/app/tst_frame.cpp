// The document window's frame: launch steps, the cipher pop-ups, the about
// box as a child window, and names for assistive tools.
#include "testsupport.h"

#include "core/desktop/useraccount.h"

#include <QComboBox>
#include <QDir>

#include <optional>

using namespace velko;

class FrameTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_home.emplace();
        m_layout = testsupport::makeDocumentWindow();
    }
    void cleanup()
    {
        m_layout.reset();
        m_home.reset();
    }
    void launchStepsShowUserAndChangeToHome();
    void gecosFullName();
    void cipherPopUpsAreIndependent();
    void aboutBoxShownOnceFollowsTheWindowAndLetsItWork();
    void everyControlHasAnAccessibleNameAndIcon();

private:
    std::optional<testsupport::TempHome> m_home;
    std::unique_ptr<Layout> m_layout;
};

void FrameTest::launchStepsShowUserAndChangeToHome()
{
    const QString previous = QDir::currentPath();
    m_layout->appController->applicationDidFinishLaunching();
    QCOMPARE(m_layout->appController->currentUser->text(), fullUserName());
    QCOMPARE(QDir::currentPath(), QDir(m_home->path()).canonicalPath());
    QDir::setCurrent(previous);
}

void FrameTest::gecosFullName()
{
    // Office fields are cut, "&" stands for the capitalised login, no name gives the login.
    QCOMPARE(fullNameFromGecos("Ada Lovelace,Room 1,555", "ada"), QStringLiteral("Ada Lovelace"));
    QCOMPARE(fullNameFromGecos("& Smith", "john"), QStringLiteral("John Smith"));
    QCOMPARE(fullNameFromGecos(",,,", "bob"), QStringLiteral("bob"));
}

// The document window's pop-up chooses the cipher to lock with, the
// unlock-on-open window's its own; both start at Blowfish.
void FrameTest::cipherPopUpsAreIndependent()
{
    DocumentState& state = *m_layout->state;
    QCOMPARE(state.cipher, QStringLiteral("-blowfish"));
    emit m_layout->engine->cipherPopUpButton->activated(3);
    QCOMPARE(state.cipher, QStringLiteral("-rc4"));
    QCOMPARE(state.selectedCipher, QStringLiteral("-blowfish"));
    emit m_layout->appController->btnPopUpButtonOpen->activated(1);
    QCOMPARE(state.selectedCipher, QStringLiteral("-des3"));
    QCOMPARE(state.cipher, QStringLiteral("-rc4"));
    QVERIFY(!state.textChanged);
}

void FrameTest::aboutBoxShownOnceFollowsTheWindowAndLetsItWork()
{
    QMainWindow* window = m_layout->mainWindow.get();
    QWidget* about = m_layout->engine->aboutWindowOpen;
    m_layout->action("btnShowAboutBox")->trigger();
    m_layout->action("btnShowAboutBox")->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QVERIFY(isChildWindowAttached(window, about));
    int shown = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        shown += top->isVisible() && top->objectName() == QLatin1String("aboutWindowOpen");
    QCOMPARE(shown, 1);

    const QPoint aboutBefore = about->pos();
    window->move(window->pos() + QPoint(40, 25));
    QTRY_COMPARE(about->pos(), aboutBefore + QPoint(40, 25));

    // The document window still takes typing while the box is up.
    window->activateWindow();
    testsupport::typeIntoView(*m_layout, QStringLiteral("abc"));
    QCOMPARE(m_layout->engine->VelkoField->toPlainText(), QStringLiteral("abc"));
    QVERIFY(m_layout->state->textChanged);

    testsupport::button(about, "btnAboutBoxClose")->click();
    QVERIFY(!about->isVisible());
    QVERIFY(!isChildWindowAttached(window, about));
}

void FrameTest::everyControlHasAnAccessibleNameAndIcon()
{
    QMainWindow* window = m_layout->mainWindow.get();
    for (QLineEdit* field : window->findChildren<QLineEdit*>()) {
        // Skips Qt's own fields and the editors of editable combo boxes.
        if (qobject_cast<QComboBox*>(field->parentWidget()) ||
            field->objectName() == QLatin1String("fileNameEdit") ||
            field->objectName().startsWith(QLatin1String("qt_")))
            continue;
        QVERIFY2(!field->accessibleName().isEmpty(), qPrintable(field->objectName()));
    }
    for (QComboBox* box : window->findChildren<QComboBox*>())
        QVERIFY2(!box->accessibleName().isEmpty(), qPrintable(box->objectName()));
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->inherits("QLineEditIconButton"))
            continue;
        QVERIFY2(!button->text().isEmpty() || !button->accessibleName().isEmpty(),
                 qPrintable(button->objectName()));
    }
    // Every command shows its text and an icon, in the menus and on the bars,
    // where the desktop has no icon theme too.
    for (QAction* action : m_layout->actions) {
        QVERIFY2(!action->text().isEmpty(), qPrintable(action->objectName()));
        QVERIFY2(!action->icon().pixmap(16).isNull(), qPrintable(action->objectName()));
    }
}

QTEST_MAIN(FrameTest)
#include "tst_frame.moc"
