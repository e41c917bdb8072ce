// The document window's frame: launch steps, the shared state, the cipher
// pop-ups, the about box as a child window, and closing the window.
#include "testsupport.h"

#include "app/appcontroller.h"
#include "app/layout.h"
#include "core/desktop/useraccount.h"
#include "engine/engine.h"
#include "feedback/childwindow.h"
#include "feedback/velkofield_delegate.h"
#include "feedback/velkotextview.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace velko;

class FrameTest : public QObject
{
    Q_OBJECT
private slots:
    void initialState();
    void launchStepsShowUserAndChangeToHome();
    void gecosFullName();
    void cipherPopUpsAreIndependent();
    void aboutBoxShownOnceAndFollowsTheWindow();
    void commandsStillWorkWhileAboutBoxIsShown();
    void closingTheWindowEndsTheApplication();
    void returnInAFieldPressesOk();
    void everyControlHasAnAccessibleName();
};

void FrameTest::initialState()
{
    testsupport::TempHome home;
    auto layout = testsupport::makeDocumentWindow();
    const DocumentState& state = *layout->state;
    QCOMPARE(state.fileName, QStringLiteral("untitled.rtf"));
    QCOMPARE(state.cipher, QStringLiteral("-blowfish"));
    QVERIFY(!state.textChanged && !state.isLastSavedASecureFile);
    // One state shared by the three controllers.
    QCOMPARE(layout->engine->state, layout->appController->state);
    QCOMPARE(layout->engine->state, layout->fieldDelegate->state);
    QCOMPARE(layout->engine->setFileNameLabel, layout->fieldDelegate->fileNameTextField);
}

void FrameTest::launchStepsShowUserAndChangeToHome()
{
    testsupport::TempHome home;
    const QString previous = QDir::currentPath();
    auto layout = testsupport::makeDocumentWindow();
    layout->appController->applicationDidFinishLaunching();
    QCOMPARE(layout->appController->currentUser->text(), fullUserName());
    QCOMPARE(QDir::currentPath(), QDir(home.path()).canonicalPath());
    QDir::setCurrent(previous);
}

void FrameTest::gecosFullName()
{
    // Office fields are cut, "&" stands for the capitalised login, no name gives the login.
    QCOMPARE(fullNameFromGecos("Ada Lovelace,Room 1,555", "ada"), QStringLiteral("Ada Lovelace"));
    QCOMPARE(fullNameFromGecos("& Smith", "john"), QStringLiteral("John Smith"));
    QCOMPARE(fullNameFromGecos(",,,", "bob"), QStringLiteral("bob"));
}

void FrameTest::cipherPopUpsAreIndependent()
{
    testsupport::TempHome home;
    auto layout = testsupport::makeDocumentWindow();
    emit layout->engine->cipherPopUpButton->activated(3);
    QCOMPARE(layout->state->cipher, QStringLiteral("-rc4"));
    QCOMPARE(layout->state->selectedCipher, QStringLiteral("-blowfish"));

    emit layout->appController->btnPopUpButtonOpen->activated(1);
    QCOMPARE(layout->state->selectedCipher, QStringLiteral("-des3"));
    QCOMPARE(layout->state->cipher, QStringLiteral("-rc4"));
    QVERIFY(!layout->state->textChanged);
}

void FrameTest::aboutBoxShownOnceAndFollowsTheWindow()
{
    testsupport::TempHome home;
    auto layout = testsupport::makeDocumentWindow();
    QMainWindow* window = layout->mainWindow.get();
    QWidget* about = layout->engine->aboutWindowOpen;

    layout->action(QStringLiteral("btnShowAboutBox"))->trigger();
    layout->action(QStringLiteral("btnShowAboutBox"))->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QVERIFY(isChildWindowAttached(window, about));
    int shown = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        shown += top->isVisible() && top->objectName() == QLatin1String("aboutWindowOpen");
    QCOMPARE(shown, 1);

    const QPoint aboutBefore = about->pos();
    window->move(window->pos() + QPoint(40, 25));
    QTRY_COMPARE(about->pos(), aboutBefore + QPoint(40, 25));

    about->findChild<QPushButton*>(QStringLiteral("btnAboutBoxClose"))->click();
    QVERIFY(!about->isVisible());
    QVERIFY(!isChildWindowAttached(window, about));
}

void FrameTest::commandsStillWorkWhileAboutBoxIsShown()
{
    testsupport::TempHome home;
    auto layout = testsupport::makeDocumentWindow();
    layout->engine->btnShowAboutBox();
    layout->mainWindow->activateWindow();
    layout->engine->VelkoField->setFocus();
    QTest::keyClicks(layout->engine->VelkoField, QStringLiteral("abc"));
    QCOMPARE(layout->engine->VelkoField->toPlainText(), QStringLiteral("abc"));
    QVERIFY(layout->state->textChanged);
}

void FrameTest::closingTheWindowEndsTheApplication()
{
    testsupport::TempHome home;
    auto layout = testsupport::makeDocumentWindow();
    QSignalSpy terminate(layout->appController, &AppController::terminateRequested);
    QVERIFY(layout->mainWindow->close());
    QCOMPARE(terminate.count(), 1);
}

void FrameTest::returnInAFieldPressesOk()
{
    testsupport::TempHome home;
    auto layout = testsupport::makeDocumentWindow();
    Engine* engine = layout->engine;
    engine->btnSecureText();
    QVERIFY(QTest::qWaitForWindowExposed(engine->windowEnterKeyWord));
    auto* ok =
        engine->windowEnterKeyWord->findChild<QPushButton*>(QStringLiteral("btnOKEnterKeyword"));
    QSignalSpy pressed(ok, &QPushButton::clicked);
    // Different keywords: OK only shakes the window, no panel opens.
    engine->textfieldKeyword->setText(QStringLiteral("a"));
    engine->textfieldKeyword2->setText(QStringLiteral("b"));
    QTest::keyClick(engine->textfieldKeyword2, Qt::Key_Return);
    QCOMPARE(pressed.count(), 1);
}

void FrameTest::everyControlHasAnAccessibleName()
{
    testsupport::TempHome home;
    auto layout = testsupport::makeDocumentWindow();
    for (QLineEdit* field : layout->mainWindow->findChildren<QLineEdit*>()) {
        // Skips Qt's own fields and the editors of editable combo boxes.
        if (qobject_cast<QComboBox*>(field->parentWidget()) ||
            field->objectName() == QLatin1String("fileNameEdit") ||
            field->objectName().startsWith(QLatin1String("qt_")))
            continue;
        QVERIFY2(!field->accessibleName().isEmpty(), qPrintable(field->objectName()));
    }
    for (QComboBox* box : layout->mainWindow->findChildren<QComboBox*>())
        QVERIFY2(!box->accessibleName().isEmpty(), qPrintable(box->objectName()));
    for (QAbstractButton* button : layout->mainWindow->findChildren<QAbstractButton*>()) {
        if (button->objectName().startsWith(QLatin1String("qt_")) ||
            button->inherits("QLineEditIconButton"))
            continue;
        QVERIFY2(!button->text().isEmpty() || !button->accessibleName().isEmpty(),
                 qPrintable(button->objectName()));
    }
    for (QAction* action : layout->actions)
        QVERIFY2(!action->text().isEmpty(), qPrintable(action->objectName()));
}

QTEST_MAIN(FrameTest)
#include "tst_frame.moc"
