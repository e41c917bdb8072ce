// The document window's frame: launch steps, the shared state, the cipher
// pop-ups, the about box as a child window, and closing the window.
#include "testsupport.h"

#include "app/appcontroller.h"
#include "app/layout.h"
#include "core/useraccount.h"
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
    void gecosFullName_data();
    void gecosFullName();
    void cipherPopUpsAreIndependent();
    void aboutBoxShownOnceAboveAndFollowsTheWindow();
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
    QCOMPARE(state.selectedCipher, QStringLiteral("-blowfish"));
    QVERIFY(!state.textChanged);
    QVERIFY(!state.isLastSavedASecureFile);
    QVERIFY(!state.textColorSetToOrangeAfterEncryption);
    QVERIFY(state.DataToWrite.isEmpty());
    QVERIFY(state.openedFileNameByDoubleClick.isEmpty());
    // One state shared by the three controllers.
    QCOMPARE(layout->engine->state, layout->appController->state);
    QCOMPARE(layout->engine->state, layout->fieldDelegate->state);
    QCOMPARE(layout->engine->VelkoField, layout->appController->VelkoField);
    QCOMPARE(layout->engine->setFileNameLabel, layout->appController->openedFileNameLabel);
    QCOMPARE(layout->engine->setFileNameLabel, layout->fieldDelegate->fileNameTextField);
}

void FrameTest::launchStepsShowUserAndChangeToHome()
{
    testsupport::TempHome home;
    const QString previous = QDir::currentPath();
    auto layout = testsupport::makeDocumentWindow();
    layout->appController->applicationDidFinishLaunching();
    QCOMPARE(layout->appController->currentUser->text(), fullUserName());
    QVERIFY(!layout->appController->currentUser->text().isEmpty());
    QCOMPARE(QDir::currentPath(), QDir(home.path()).canonicalPath());

    // A relative name written afterwards lands in the home folder.
    QVERIFY(testsupport::writeFile(QStringLiteral("relative.txt"), "x"));
    QVERIFY(QFile::exists(home.filePath(QStringLiteral("relative.txt"))));
    QDir::setCurrent(previous);
}

void FrameTest::gecosFullName_data()
{
    QTest::addColumn<QString>("gecos");
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "Ada Lovelace"
                           << "ada"
                           << "Ada Lovelace";
    QTest::newRow("office fields cut") << "Ada Lovelace,Room 1,555"
                                       << "ada"
                                       << "Ada Lovelace";
    QTest::newRow("ampersand") << "& Smith"
                               << "john"
                               << "John Smith";
    QTest::newRow("empty") << ""
                           << "root"
                           << "root";
    QTest::newRow("only commas") << ",,,"
                                 << "bob"
                                 << "bob";
    QTest::newRow("non-ASCII") << "Zoë Šťastná"
                               << "zoe"
                               << "Zoë Šťastná";
}

void FrameTest::gecosFullName()
{
    QFETCH(QString, gecos);
    QFETCH(QString, login);
    QFETCH(QString, expected);
    QCOMPARE(fullNameFromGecos(gecos, login), expected);
}

void FrameTest::cipherPopUpsAreIndependent()
{
    testsupport::TempHome home;
    auto layout = testsupport::makeDocumentWindow();
    QComboBox* documentPopUp = layout->engine->cipherPopUpButton;
    QComboBox* openPopUp = layout->appController->btnPopUpButtonOpen;
    const QString textBefore = layout->engine->setFileNameLabel->text();

    const QStringList expected = {"-blowfish", "-des3", "-rc5", "-rc4"};
    for (int i = 0; i < 4; ++i) {
        emit documentPopUp->activated(i);
        QCOMPARE(layout->state->cipher, expected.at(i));
        QCOMPARE(layout->state->selectedCipher, QStringLiteral("-blowfish"));
    }
    emit documentPopUp->activated(3);
    QCOMPARE(layout->state->cipher, QStringLiteral("-rc4"));

    emit openPopUp->activated(1);
    QCOMPARE(layout->state->selectedCipher, QStringLiteral("-des3"));
    QCOMPARE(layout->state->cipher, QStringLiteral("-rc4"));
    // Choosing a cipher touches nothing else.
    QCOMPARE(layout->engine->setFileNameLabel->text(), textBefore);
    QVERIFY(!layout->state->textChanged);
}

void FrameTest::aboutBoxShownOnceAboveAndFollowsTheWindow()
{
    testsupport::TempHome home;
    auto layout = testsupport::makeDocumentWindow();
    QMainWindow* window = layout->mainWindow.get();
    QWidget* about = layout->engine->aboutWindowOpen;
    QVERIFY(!about->isVisible());

    layout->action(QStringLiteral("btnShowAboutBox"))->trigger();
    layout->action(QStringLiteral("btnShowAboutBox"))->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QVERIFY(about->isVisible());
    QVERIFY(isChildWindowAttached(window, about));
    QCOMPARE(about->parentWidget(), window);
    QVERIFY(about->windowFlags() & Qt::Tool);
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

    // Detached: it no longer follows.
    const QPoint hiddenAt = about->pos();
    window->move(window->pos() + QPoint(10, 10));
    QTest::qWait(20);
    QCOMPARE(about->pos(), hiddenAt);
}

void FrameTest::commandsStillWorkWhileAboutBoxIsShown()
{
    testsupport::TempHome home;
    auto layout = testsupport::makeDocumentWindow();
    layout->engine->btnShowAboutBox();
    QVERIFY(layout->mainWindow->isEnabled());
    layout->mainWindow->activateWindow();
    layout->engine->VelkoField->setFocus();
    QTest::keyClicks(layout->engine->VelkoField, QStringLiteral("abc"));
    QCOMPARE(layout->engine->VelkoField->toPlainText(), QStringLiteral("abc"));
    QVERIFY(layout->state->textChanged);
    QCOMPARE(labelColor(layout->engine->setFileNameLabel), QColor(Qt::red));
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
    QTest::keyClick(engine->textfieldKeyword, Qt::Key_Enter);
    QCOMPARE(pressed.count(), 2);
}

void FrameTest::everyControlHasAnAccessibleName()
{
    testsupport::TempHome home;
    auto layout = testsupport::makeDocumentWindow();
    QList<QWidget*> windows = {layout->mainWindow.get()};
    for (QWidget* child : layout->mainWindow->findChildren<QWidget*>()) {
        if (child->isWindow())
            windows << child;
    }
    for (QWidget* window : windows) {
        for (QLineEdit* field : window->findChildren<QLineEdit*>()) {
            if (field->parentWidget() && qobject_cast<QComboBox*>(field->parentWidget()))
                continue; // the editor of an editable combo box takes the box's name
            if (field->objectName() == QLatin1String("fileNameEdit") ||
                field->objectName().startsWith(QLatin1String("qt_")))
                continue;
            QVERIFY2(!field->accessibleName().isEmpty(), qPrintable(field->objectName()));
        }
        for (QComboBox* box : window->findChildren<QComboBox*>())
            QVERIFY2(!box->accessibleName().isEmpty(), qPrintable(box->objectName()));
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            // Qt's own buttons: the line edits' clear buttons and the like.
            if (button->objectName().startsWith(QLatin1String("qt_")) ||
                button->inherits("QLineEditIconButton"))
                continue;
            const QString what = QString::fromLatin1(button->metaObject()->className()) +
                                 QLatin1Char(' ') + button->objectName() + QLatin1String(" in ") +
                                 window->objectName();
            QVERIFY2(!button->text().isEmpty() || !button->accessibleName().isEmpty(),
                     qPrintable(what));
        }
    }
    for (QAction* action : layout->actions)
        QVERIFY2(!action->text().isEmpty(), qPrintable(action->objectName()));
}

QTEST_MAIN(FrameTest)
#include "tst_frame.moc"
