#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace velko {
struct Layout;
}

namespace testsupport {

// A temporary home: HOME and the XDG folders point into a fresh directory
// for the lifetime of the object, so tests never touch the user's files.
class TempHome
{
public:
    TempHome();
    ~TempHome();
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    // Creates $HOME/Desktop (the default desktop folder).
    QString makeDesktop();

private:
    QTemporaryDir m_dir;
    QByteArray m_saved[5];
};

// The document window, built, wired, shown and exposed (offscreen).
std::unique_ptr<velko::Layout> makeDocumentWindow();

// The alert that is (or within `timeoutMs` becomes) the active modal widget.
QMessageBox* waitForAlert(int timeoutMs = 3000);
// Presses the alert's button with this text (fails the test when absent).
bool clickAlertButton(QMessageBox* alert, const QString& text);

// The file panel that is (or becomes) the active modal widget.
QFileDialog* waitForPanel(int timeoutMs = 3000);
// Types `path` into the panel's name field and presses its default button.
void acceptPanel(QFileDialog* panel, const QString& path);

// For panels run with exec(): answers the next modal panel once it shows,
// with `path`, or cancels it when `path` is empty. A fallback cancels any
// panel still open after a few seconds so a broken test fails, not hangs.
void answerNextModalPanel(const QString& path);

// Answers the next alert (sheet or modal) by pressing `buttonText`.
void answerNextAlert(const QString& buttonText);

// Writes `data` to `path`; returns false on failure.
bool writeFile(const QString& path, const QByteArray& data);
QByteArray readFile(const QString& path);

} // namespace testsupport
