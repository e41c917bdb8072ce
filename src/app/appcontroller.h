#pragma once

#include "core/documentstate.h"

#include <QObject>

class QComboBox;
class QCoreApplication;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMessageBox;
class QWidget;

namespace velko {

class Engine;
class VelkoTextView;

// The application's delegate: launch steps, the closing policy, and files
// handed over by the desktop with the unlock-on-open window.
class AppController : public QObject
{
    Q_OBJECT
public:
    explicit AppController(QObject* parent = nullptr);

    // --- Outlets, wired by the window layout ---------------------------------
    DocumentState* state = nullptr;
    Engine* engine = nullptr;
    QMainWindow* theMainWindow = nullptr;
    VelkoTextView* VelkoField = nullptr;
    QLabel* openedFileNameLabel = nullptr;
    QLineEdit* currentUser = nullptr;

    QWidget* windowUnlockFileWithKeyword = nullptr;
    QLineEdit* fieldKeyWord = nullptr;
    QComboBox* btnPopUpButtonOpen = nullptr;

    // --- Lifecycle -------------------------------------------------------------
    void awakeFromNib();
    void applicationWillFinishLaunching();
    void applicationDidFinishLaunching();
    bool applicationShouldTerminateAfterLastWindowClosed() const { return true; }

    // A file handed over by the desktop (full path). Always answers true.
    bool application(QCoreApplication* sender, const QString& openFile);
    // Whether Cancel in the unlock-on-open window ends the editor: only while
    // the handed-over files are what started it.
    bool cancelEndsTheEditor = true;
    // A secure document chosen in the running editor's Open panel.
    void openSecureDocument(const QString& path);

public slots:
    void btnOpenLockedFileOK();
    void btnOpenLockedFileCancel();

    void btnPopUpCipherBlowfishSelected();
    void btnPopUpCipherDES3Selected();
    void btnPopUpCipherRC5Selected();
    void btnPopUpCipherRC4Selected();
    void btnPopUpCipherAES256Selected();

signals:
    // The application is asked to end.
    void terminateRequested();

protected:
    // As the document window's delegate: closing it ends the application.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool windowShouldClose();

    // Files handed over by the desktop: the steps after a question.
    void openPlainFile(const QString& path);
    void unlockHandedOverFile();
    void openHandedOverFileAnyway(QMessageBox* alert, int returnCode, void* contextInfo);
    void unlockHandedOverFileAnyway(QMessageBox* alert, int returnCode, void* contextInfo);
    void QuitAlert(QMessageBox* alert, int returnCode, void* contextInfo);
    QString m_lockedFilePath;   // the file the unlock-on-open window unlocks
    QString m_pendingPlainPath; // a plain file waiting for Open's question
    bool m_askingBeforeOpen = false;
};

} // namespace velko
