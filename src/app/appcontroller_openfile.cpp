// Files handed over by the desktop.
#include "app/appcontroller.h"

namespace velko {

bool AppController::application(QCoreApplication*, const QString&)
{
    return true;
}

void AppController::btnOpenLockedFileOK() {}

void AppController::btnOpenLockedFileCancel()
{
    emit terminateRequested();
}

} // namespace velko
