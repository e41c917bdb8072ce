// Secure and Unlock.
#include "engine/engine.h"

#include <QAbstractAnimation>
#include <QMessageBox>

namespace velko {

void Engine::btnSecureText() {}
void Engine::btnCancelEnterKeyword() {}
void Engine::btnOKEnterKeyword() {}
void Engine::btnUnlockText() {}
void Engine::btnUnlockTextCancel() {}
void Engine::btnUnlockTextOk() {}
void Engine::saveBeforeOpen(QMessageBox*, int, void*) {}
QAbstractAnimation* Engine::shakeAnimation(QWidget*, const QRect&)
{
    return nullptr;
}

} // namespace velko
