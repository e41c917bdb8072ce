#pragma once

// The document window, driven as the user drives it, for the window tests;
// brings in the window's parts and Qt Test.

#include "testfiles.h"

#include "app/appcontroller.h"
#include "app/layout.h"
#include "engine/engine.h"
#include "feedback/childwindow.h"
#include "feedback/colors.h"
#include "feedback/velkofield_delegate.h"
#include "feedback/velkotextview.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace testsupport {

// The offscreen platform's GLX variant offers an X11 interface with no
// usable connection; child windows looking for their frame through it crash.
// Set before QTEST_MAIN builds the application.
inline const bool kNoGlx = qputenv("QT_QPA_OFFSCREEN_NO_GLX", "1");

// The document window, built, wired, shown and exposed (offscreen); it locks
// with the real openssl tool and the RC5 module of this build.
std::unique_ptr<velko::Layout> makeDocumentWindow();

// Everything a command that fails or is called off must leave as it was:
// the document's state, text, label and title, as text.
QStringList snapshotOf(const velko::Layout& layout);

// The document's flags in words: "edited" or "clean", "secure" or "plain",
// then "orange" and "read-only" when set, and the label's colour when it is
// not red for "edited" and blue for "clean".
QString flagsOf(const velko::Layout& layout);

// As after an earlier save to `path`.
inline void setDocumentPath(velko::Layout& layout, const QString& path)
{
    layout.state->fileName = path;
    layout.engine->showPathInLabelAndTitle(path);
}
// An edit, typed as the user would.
inline void typeIntoView(velko::Layout& layout, const QString& text)
{
    layout.engine->VelkoField->setFocus();
    QTest::keyClicks(layout.engine->VelkoField, text);
}
inline QPushButton* button(const QWidget* window, const char* name)
{
    return window->findChild<QPushButton*>(QString::fromLatin1(name));
}

// Secure with both fields filled; the save panel gets `path` ("": cancel).
void secureWith(velko::Layout& layout, const QString& keyword, const QString& repetition,
                const QString& path);
// Unlock (no unsaved edits) with `keyword`; the panel gets `path` ("": cancel).
void unlockWith(velko::Layout& layout, const QString& keyword, const QString& path);

// The modal widget of type T that is active now or within `timeoutMs`.
template <typename T> T* waitForModal(int timeoutMs)
{
    const auto modal = [] {
        return qobject_cast<T*>(QApplication::activeModalWidget());
    };
    return QTest::qWaitFor([&] { return modal() != nullptr; }, timeoutMs) ? modal() : nullptr;
}
inline QMessageBox* waitForAlert(int timeoutMs = 3000)
{
    return waitForModal<QMessageBox>(timeoutMs);
}
// Presses the alert's button with this text; false when it has none.
bool clickAlertButton(QMessageBox* alert, const QString& text);
// Waits for the alert a command put up, presses its only button and gives
// its text.
QString takeAlertText();
// Closes whatever alert the last command left open.
void dismissModals();

inline QFileDialog* waitForPanel(int timeoutMs = 3000)
{
    return waitForModal<QFileDialog>(timeoutMs);
}
// Types `path` into the panel's name field and presses its default button.
void acceptPanel(QFileDialog* panel, const QString& path);

// Answers the next modal panel (also one run with exec()) with `path`, or
// cancels it when `path` is empty; presses a button of the next alert.
void answerNextModalPanel(const QString& path);
void answerNextAlert(const QString& buttonText);
// Answers given and not yet carried out.
int answersPending();

} // namespace testsupport
