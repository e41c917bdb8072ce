// File commands: New, Open, Save, Save As, Clear, Quit.
#include "engine/engine.h"

#include <QMessageBox>

namespace velko {

void Engine::btnNewAction() {}
void Engine::btnOpenAction() {}
void Engine::btnSaveAction() {}
void Engine::btnSaveAsAction() {}
void Engine::btnClearAction() {}
void Engine::btnQuitAction()
{
    emit terminateRequested();
}
void Engine::openRecentDocument(const QString&) {}
void Engine::saveAsPlainTextDocument(QMessageBox*, int, void*) {}
void Engine::saveDialog(QFileDialog*, int, void*) {}
void Engine::openAnotherWithouthSaving(QMessageBox*, int, void*) {}
void Engine::openDialog(QFileDialog*, int, void*) {}
void Engine::NewDocumentAlert(QMessageBox*, int, void*) {}
void Engine::QuitAlert(QMessageBox*, int, void*) {}

} // namespace velko
