#include "app/layout.h"

#include "engine/engine.h"
#include "engine/spell/spellchecker.h"
#include "feedback/spellcheckview.h"
#include "feedback/velkotextview.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

namespace velko {

// Spell checking in the document window, in the desktop's language, with
// its toggle at the end of the Edit menu.
void buildSpellChecking(Layout& layout)
{
    const DocumentState* state = layout.state.get();
    auto* spelling = new SpellCheckView(
        layout.engine->VelkoField, nullptr, [state] { return state->isLastSavedASecureFile; },
        layout.mainWindow.get());
    spelling->openDesktopDictionaryLater();
    QAction* toggle = spelling->toggleAction();
    layout.actions.insert(toggle->objectName(), toggle);
    layout.editMenu->addSeparator();
    layout.editMenu->addAction(toggle);
}

} // namespace velko
