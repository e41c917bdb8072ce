#include "app/layout.h"

#include "app/appcontroller.h"
#include "app/desktoplook.h"
#include "app/layout_recent.h"
#include "engine/engine.h"
#include "feedback/actionicons.h"
#include "feedback/colors.h"
#include "feedback/documentstatus.h"
#include "feedback/velkofield_delegate.h"
#include "feedback/velkotextview.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace velko {

Layout::Layout() = default;

Layout::~Layout()
{
    // The windows refer to the state: they go first.
    mainWindow.reset();
    state.reset();
}

QAction* addLayoutAction(Layout& layout, const QString& name, const QString& text)
{
    auto* action = new QAction(text, layout.mainWindow.get());
    action->setObjectName(name);
    layout.actions.insert(name, action);
    return action;
}

namespace {

struct Command
{
    const char* name;
    const char* text;
    void (Engine::*slot)();
    QKeySequence::StandardKey standard;
    QKeySequence own; // beside the platform's keys, or instead where it has none
};

void buildCommands(Layout& layout)
{
    Engine* engine = layout.engine;
    const Command commands[] = {
        {"btnNewAction", "&New", &Engine::btnNewAction, QKeySequence::New, {}},
        {"btnOpenAction", "&Open…", &Engine::btnOpenAction, QKeySequence::Open, {}},
        {"btnSaveAction", "&Save", &Engine::btnSaveAction, QKeySequence::Save, {}},
        {"btnSaveAsAction", "Save &As…", &Engine::btnSaveAsAction, QKeySequence::SaveAs,
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {"btnClearAction", "C&lear", &Engine::btnClearAction, QKeySequence::UnknownKey, {}},
        {"btnSecureText", "Se&cure…", &Engine::btnSecureText, QKeySequence::UnknownKey,
         QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_L)},
        {"btnUnlockText", "&Unlock…", &Engine::btnUnlockText, QKeySequence::UnknownKey,
         QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_U)},
        {"btnSendMail", "Send by &Mail…", &Engine::btnSendMail, QKeySequence::UnknownKey, {}},
        {"btnTranslateToBulgarian",
         "&Translate",
         &Engine::btnTranslateToBulgarian,
         QKeySequence::UnknownKey,
         {}},
        {"btnShowAboutBox", "&About Velko", &Engine::btnShowAboutBox, QKeySequence::UnknownKey, {}},
        {"btnQuitAction", "&Quit", &Engine::btnQuitAction, QKeySequence::Quit, {}},
    };
    for (const Command& command : commands) {
        QAction* action =
            addLayoutAction(layout, QString::fromLatin1(command.name), QObject::tr(command.text));
        QList<QKeySequence> keys = QKeySequence::keyBindings(command.standard);
        if (!command.own.isEmpty() && !keys.contains(command.own))
            keys.append(command.own);
        action->setShortcuts(keys);
        QObject::connect(action, &QAction::triggered, engine, command.slot);
    }

    QMenuBar* bar = layout.mainWindow->menuBar();
    layout.fileMenu = bar->addMenu(QObject::tr("&File"));
    layout.fileMenu->addAction(layout.action("btnNewAction"));
    layout.fileMenu->addAction(layout.action("btnOpenAction"));
    layout.openRecentMenu = layout.fileMenu->addMenu(QObject::tr("Open &Recent"));
    layout.openRecentMenu->setObjectName(QStringLiteral("openRecentMenu"));
    layout.fileMenu->addSeparator();
    layout.fileMenu->addAction(layout.action("btnSaveAction"));
    layout.fileMenu->addAction(layout.action("btnSaveAsAction"));
    layout.fileMenu->addSeparator();
    layout.fileMenu->addAction(layout.action("btnSecureText"));
    layout.fileMenu->addAction(layout.action("btnUnlockText"));
    layout.fileMenu->addSeparator();
    layout.fileMenu->addAction(layout.action("btnSendMail"));
    layout.fileMenu->addSeparator();
    layout.fileMenu->addAction(layout.action("btnClearAction"));
    layout.fileMenu->addSeparator();
    layout.fileMenu->addAction(layout.action("btnQuitAction"));
    layout.editMenu = bar->addMenu(QObject::tr("&Edit"));
    layout.formatMenu = bar->addMenu(QObject::tr("F&ormat"));
    layout.viewMenu = bar->addMenu(QObject::tr("&View"));
    layout.toolsMenu = bar->addMenu(QObject::tr("&Tools"));
    layout.toolsMenu->addAction(layout.action("btnTranslateToBulgarian"));
    layout.helpMenu = bar->addMenu(QObject::tr("&Help"));
    layout.helpMenu->addAction(layout.action("btnShowAboutBox"));

    layout.commandBar = new QToolBar(QObject::tr("Commands"), layout.mainWindow.get());
    layout.commandBar->setObjectName(QStringLiteral("commandBar"));
    layout.commandBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    layout.commandBar->setMovable(false);
    for (const char* name : {"btnNewAction", "btnOpenAction", "btnSaveAction", "btnSaveAsAction",
                             "btnClearAction", "btnSecureText", "btnUnlockText", "btnSendMail",
                             "btnTranslateToBulgarian", "btnShowAboutBox", "btnQuitAction"})
        layout.commandBar->addAction(layout.action(QString::fromLatin1(name)));
    layout.mainWindow->addToolBar(Qt::TopToolBarArea, layout.commandBar);
}

void buildCipherPopUp(Layout& layout, QComboBox* popUp)
{
    Engine* engine = layout.engine;
    for (const QString& option : allCipherOptions())
        popUp->addItem(cipherMenuText(option), option);
    popUp->setCurrentIndex(0);
    QObject::connect(popUp, &QComboBox::activated, engine, [engine](int index) {
        void (Engine::*const items[])() = {
            &Engine::btnPopUpCipherBlowfishSelected, &Engine::btnPopUpCipherDES3Selected,
            &Engine::btnPopUpCipherRC5Selected, &Engine::btnPopUpCipherRC4Selected,
            &Engine::btnPopUpCipherAES256Selected};
        if (index >= 0 && index < int(std::size(items)))
            (engine->*items[index])();
    });
}

void buildDocumentWindow(Layout& layout)
{
    QMainWindow* window = layout.mainWindow.get();
    window->setObjectName(QStringLiteral("mainWindow"));
    window->setWindowTitle(kDefaultFileName);
    window->resize(980, 680);

    auto* central = new QWidget(window);
    auto* column = new QVBoxLayout(central);

    auto* labelRow = new QHBoxLayout;
    auto* label = new QLabel(kDefaultFileName, central);
    label->setObjectName(QStringLiteral("setFileNameLabel"));
    label->setAccessibleName(QObject::tr("Document file name"));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    setLabelColor(label, colors::fileNameLabel(false)); // its rule holds from the start
    labelRow->addWidget(label, 1);
    column->addLayout(labelRow);

    auto* view = new VelkoTextView(central);
    view->setObjectName(QStringLiteral("VelkoField"));
    view->setAccessibleName(QObject::tr("Document text"));
    column->addWidget(view, 1);

    auto* bottomRow = new QHBoxLayout;
    auto* cipherLabel = new QLabel(QObject::tr("C&ipher:"), central);
    auto* popUp = new QComboBox(central);
    popUp->setObjectName(QStringLiteral("cipherPopUpButton"));
    popUp->setAccessibleName(QObject::tr("Cipher"));
    cipherLabel->setBuddy(popUp);
    auto* checkBox = new QCheckBox(QObject::tr("Show secure o&utput after securing"), central);
    checkBox->setObjectName(QStringLiteral("chkBoxShowEncryptedOutputAfterEncryption"));
    auto* userLabel = new QLabel(QObject::tr("User:"), central);
    auto* user = new QLineEdit(central);
    user->setObjectName(QStringLiteral("currentUser"));
    user->setAccessibleName(QObject::tr("Current user"));
    user->setReadOnly(true);
    user->setFrame(false);
    userLabel->setBuddy(user);
    bottomRow->addWidget(cipherLabel);
    bottomRow->addWidget(popUp);
    bottomRow->addWidget(checkBox);
    bottomRow->addStretch(1);
    bottomRow->addWidget(userLabel);
    bottomRow->addWidget(user);
    column->addLayout(bottomRow);
    window->setCentralWidget(central);

    Engine* engine = layout.engine;
    engine->mainWindow = window;
    engine->VelkoField = view;
    engine->setFileNameLabel = label;
    engine->cipherPopUpButton = popUp;
    engine->chkBoxShowEncryptedOutputAfterEncryption = checkBox;

    AppController* controller = layout.appController;
    controller->theMainWindow = window;
    controller->VelkoField = view;
    controller->openedFileNameLabel = label;
    controller->currentUser = user;

    VelkoField_delegate* delegate = layout.fieldDelegate;
    delegate->VelkoField = view;
    delegate->fileNameTextField = label;
    delegate->connectToView();

    buildCipherPopUp(layout, popUp);
    engine->documentStatus = new DocumentStatus(window->statusBar(), view, layout.state.get());
}

// The buttons the bars show for what does not fit have no text of their own.
void nameOverflowButtons(QMainWindow* window)
{
    for (QToolBar* bar : window->findChildren<QToolBar*>()) {
        if (auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
            more->setAccessibleName(QObject::tr("More of %1").arg(bar->windowTitle()));
    }
    if (auto* more =
            window->menuBar()->findChild<QToolButton*>(QStringLiteral("qt_menubar_ext_button")))
        more->setAccessibleName(QObject::tr("More menus"));
}

} // namespace

std::unique_ptr<Layout> buildLayout()
{
    auto layout = std::make_unique<Layout>();
    layout->state = std::make_unique<DocumentState>();
    layout->mainWindow = std::make_unique<QMainWindow>();

    layout->engine = new Engine(layout->mainWindow.get());
    layout->appController = new AppController(layout->mainWindow.get());
    layout->fieldDelegate = new VelkoField_delegate(layout->mainWindow.get());
    layout->engine->state = layout->state.get();
    layout->appController->state = layout->state.get();
    layout->appController->engine = layout->engine;
    layout->fieldDelegate->state = layout->state.get();

    buildDocumentWindow(*layout);
    buildCommands(*layout);
    layout->engine->secureAction = layout->action("btnSecureText");
    QObject::connect(layout->engine, &Engine::secureDocumentChosen, layout->appController,
                     &AppController::openSecureDocument);
    buildAboutWindow(*layout);
    buildKeywordWindows(*layout);
    buildMailWindow(*layout);
    buildTranslationWindow(*layout);
    buildUnlockOnOpenWindow(*layout);
    buildEditingTools(*layout);
    buildSpellChecking(*layout);
    buildOpenRecentMenu(*layout);
    buildAutoLock(*layout);
    followDesktopLook(*layout);
    applyActionIcons(layout->mainWindow.get());
    nameOverflowButtons(layout->mainWindow.get());
    return layout;
}

} // namespace velko
