#pragma once

#include "core/documentstate.h"

#include <QHash>
#include <QString>

#include <memory>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace velko {

class AppController;
class Engine;
class VelkoField_delegate;

// The window layout: the document window and every secondary window, built
// in code, with the controllers' outlets and actions wired up.
struct Layout
{
    Layout();
    ~Layout();
    Layout(const Layout&) = delete;
    Layout& operator=(const Layout&) = delete;

    std::unique_ptr<DocumentState> state;
    std::unique_ptr<QMainWindow> mainWindow;
    Engine* engine = nullptr;
    AppController* appController = nullptr;
    VelkoField_delegate* fieldDelegate = nullptr;

    QMenu* fileMenu = nullptr;
    QMenu* openRecentMenu = nullptr;
    QMenu* editMenu = nullptr;
    QMenu* formatMenu = nullptr;
    QMenu* viewMenu = nullptr;
    QMenu* toolsMenu = nullptr;
    QMenu* helpMenu = nullptr;
    QToolBar* commandBar = nullptr;

    // Every action by its object name ("btnSaveAction", "btnSecureText"...).
    QHash<QString, QAction*> actions;
    QAction* action(const QString& name) const { return actions.value(name); }
    QAction* action(const char* name) const { return action(QString::fromLatin1(name)); }
};

// Builds the windows and wires them; the main window is not shown yet.
std::unique_ptr<Layout> buildLayout();

// The parts of the layout, one per window or tool set.
void buildAboutWindow(Layout& layout);
void buildKeywordWindows(Layout& layout);
void buildMailWindow(Layout& layout);
void buildTranslationWindow(Layout& layout);
void buildUnlockOnOpenWindow(Layout& layout);
void buildEditingTools(Layout& layout);
void buildSpellChecking(Layout& layout);
// The locked-document panel and the Preferences window; built last, as it
// sorts every command by whether it stays usable while the text is locked.
void buildAutoLock(Layout& layout);

// An action named `name`, with its text, registered in the layout.
QAction* addLayoutAction(Layout& layout, const QString& name, const QString& text);

} // namespace velko
