#include "app/layout.h"
#include "app/layout_util.h"

#include "core/preferences.h"
#include "engine/engine.h"
#include "feedback/velkotextview.h"

#include <QAction>
#include <QBoxLayout>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>

namespace velko {

namespace {

// Commands that stay usable while the text is locked: they do not touch it
// or ask before they replace it.
const QStringList kUsableWhileLocked = {
    QStringLiteral("btnNewAction"),    QStringLiteral("btnOpenAction"),
    QStringLiteral("btnUnlockText"),   QStringLiteral("btnQuitAction"),
    QStringLiteral("btnShowAboutBox"), QStringLiteral("editPreferences")};

QString minutesText(int minutes)
{
    if (minutes == 0)
        return QObject::tr("Never");
    return minutes == 1 ? QObject::tr("After 1 minute")
                        : QObject::tr("After %1 minutes").arg(minutes);
}

QString secondsText(int seconds)
{
    if (seconds == 0)
        return QObject::tr("Only when the document locks");
    if (seconds < 60)
        return QObject::tr("After %1 seconds").arg(seconds);
    return seconds == 60 ? QObject::tr("After 1 minute")
                         : QObject::tr("After %1 minutes").arg(seconds / 60);
}

QComboBox* createChoice(QWidget* window, const QString& objectName, const QString& accessibleName,
                        const QList<int>& choices, QString (*text)(int), int current)
{
    auto* popUp = new QComboBox(window);
    popUp->setObjectName(objectName);
    popUp->setAccessibleName(accessibleName);
    for (const int choice : choices)
        popUp->addItem(text(choice), choice);
    popUp->setCurrentIndex(int(choices.indexOf(current)));
    return popUp;
}

// Stands where the text was while the document is locked.
void buildLockedPanel(Layout& layout)
{
    Engine* engine = layout.engine;
    VelkoTextView* view = engine->VelkoField;
    auto* panel = new QWidget(view->parentWidget());
    panel->setObjectName(QStringLiteral("lockedPanel"));
    panel->setAccessibleName(QObject::tr("Locked document"));
    auto* column = new QVBoxLayout(panel);
    column->addStretch(1);
    auto* label = new QLabel(panel);
    label->setObjectName(QStringLiteral("lockedDocumentLabel"));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    column->addWidget(label);
    auto* row = new QHBoxLayout;
    QLineEdit* field =
        createKeywordField(panel, QStringLiteral("textFieldKeywordLocked"), QObject::tr("Keyword"));
    field->setMaximumWidth(320);
    auto* open = new QPushButton(QObject::tr("Unloc&k"), panel);
    open->setObjectName(QStringLiteral("btnOpenLockedDocument"));
    row->addStretch(1);
    row->addWidget(field);
    row->addWidget(open);
    row->addStretch(1);
    column->addLayout(row);
    column->addStretch(2);
    QObject::connect(open, &QPushButton::clicked, engine, &Engine::btnOpenLockedDocument);
    QObject::connect(field, &QLineEdit::returnPressed, open, &QPushButton::click);
    panel->hide();
    if (auto* box = qobject_cast<QBoxLayout*>(view->parentWidget()->layout()))
        box->insertWidget(box->indexOf(view) + 1, panel, 1);

    engine->lockedPanel = panel;
    engine->lockedDocumentLabel = label;
    engine->textFieldKeywordLocked = field;
}

void buildPreferencesWindow(Layout& layout, const Preferences& preferences)
{
    Engine* engine = layout.engine;
    QWidget* window = createToolWindow(layout.mainWindow.get(), QStringLiteral("windowPreferences"),
                                       QObject::tr("Preferences"));
    auto* column = new QVBoxLayout(window);
    auto* form = new QFormLayout;
    QComboBox* idle =
        createChoice(window, QStringLiteral("popUpLockAfterIdle"),
                     QObject::tr("Lock secure documents when idle"), lockAfterIdleChoices(),
                     minutesText, preferences.lockAfterIdleMinutes);
    QComboBox* clipboard = createChoice(
        window, QStringLiteral("popUpClearClipboardAfter"), QObject::tr("Clear copied secure text"),
        clearClipboardChoices(), secondsText, preferences.clearClipboardAfterSeconds);
    form->addRow(QObject::tr("&Lock secure documents when idle:"), idle);
    form->addRow(QObject::tr("&Clear copied secure text:"), clipboard);
    column->addLayout(form);
    column->addWidget(new QLabel(QObject::tr("An open secure document also locks when the screen "
                                             "locks and before the computer sleeps."),
                                 window));
    QPushButton* close = createCloseButton(window, QStringLiteral("btnPreferencesClose"));
    QObject::connect(idle, &QComboBox::activated, engine, &Engine::preferencesChanged);
    QObject::connect(clipboard, &QComboBox::activated, engine, &Engine::preferencesChanged);
    QObject::connect(close, &QPushButton::clicked, engine, &Engine::btnPreferencesClose);

    engine->windowPreferences = window;
    engine->popUpLockAfterIdle = idle;
    engine->popUpClearClipboardAfter = clipboard;

    QAction* action =
        addLayoutAction(layout, QStringLiteral("editPreferences"), QObject::tr("Pre&ferences…"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    QObject::connect(action, &QAction::triggered, engine, &Engine::btnShowPreferences);
    layout.editMenu->addSeparator();
    layout.editMenu->addAction(action);
}

} // namespace

void buildAutoLock(Layout& layout)
{
    const Preferences preferences = loadPreferences();
    buildLockedPanel(layout);
    buildPreferencesWindow(layout, preferences);
    for (auto it = layout.actions.cbegin(); it != layout.actions.cend(); ++it) {
        if (!kUsableWhileLocked.contains(it.key()))
            layout.engine->documentCommands.append(it.value());
    }
    layout.engine->startAutoLock(preferences);
}

} // namespace velko
