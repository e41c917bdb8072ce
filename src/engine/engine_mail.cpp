// Send by mail.
#include "engine/engine.h"

#include <QMessageBox>

namespace velko {

void Engine::btnSendMail() {}
void Engine::btnSendByMail() {}
void Engine::btnSendMailCancel() {}
void Engine::mailSendDocumentNotSavedAlert(QMessageBox*, int, void*) {}

} // namespace velko
