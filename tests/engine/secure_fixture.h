#pragma once

// Drives the real document and keyword windows with the real openssl tool.

#include "testsupport.h"

#include "app/layout.h"
#include "engine/engine.h"
#include "feedback/childwindow.h"
#include "feedback/velkofield_delegate.h"
#include "feedback/velkotextview.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace securetest {

using namespace velko;

// The offscreen platform's GLX variant offers an X11 interface with no
// usable connection; child windows looking for their frame through it crash.
// Set before QTEST_MAIN builds the application.
inline const bool kNoGlx = qputenv("QT_QPA_OFFSCREEN_NO_GLX", "1");

inline const QString kRc5Module = QStringLiteral(VELKO_BIN_DIR "/ossl-modules/velkorc5.so");

inline void useRealPipeline(Layout& layout)
{
    layout.engine->pipeline = CipherPipeline(CipherPipeline::defaultToolPath(), kRc5Module);
}

// All a failed command must leave as it was; as text, to show what changed.
using Snapshot = QStringList;
inline Snapshot snapshotOf(const Layout& layout)
{
    const DocumentState& state = *layout.state;
    const Engine& engine = *layout.engine;
    const auto flag = [](bool on) {
        return QString::number(on);
    };
    return {state.fileName,
            flag(state.textChanged),
            flag(state.isLastSavedASecureFile),
            flag(state.textColorSetToOrangeAfterEncryption),
            state.cipher,
            QString::fromUtf8(state.DataToWrite),
            engine.VelkoField->toHtml(),
            flag(engine.VelkoField->isReadOnly()),
            labelColor(engine.setFileNameLabel).name(),
            layout.mainWindow->windowTitle()};
}

inline QPushButton* button(QWidget* window, const char* name)
{
    return window->findChild<QPushButton*>(QString::fromLatin1(name));
}

// An edit, typed as the user would.
inline void typeIntoView(Layout& layout, const QString& text)
{
    layout.engine->VelkoField->setFocus();
    QTest::keyClicks(layout.engine->VelkoField, text);
}

// Rich text put in by code (not an edit), two paragraphs beyond Latin-1.
inline void putFormattedText(VelkoTextView* view)
{
    VelkoTextView::CodeChange change(view);
    view->setHtml(QStringLiteral(
        "<p style=\"font-family:'DejaVu Sans'; font-size:12pt\">Plain start, <b>bold words</b>"
        "<span style=\"font-family:'DejaVu Serif'; font-size:18pt; color:#008000\"> green "
        "serif</span></p><p style=\"font-family:'DejaVu Sans'; font-size:12pt\"><i "
        "style=\"color:#c80000\">Здравей, свят — ключ ✓ 日本語 ünïcödé</i></p>"));
}

// Secure with both fields filled; the save panel gets `path` ("": cancel).
inline void secureWith(Layout& layout, const QString& keyword, const QString& repetition,
                       const QString& path)
{
    Engine& engine = *layout.engine;
    layout.action(QStringLiteral("btnSecureText"))->trigger();
    engine.textfieldKeyword->setText(keyword);
    engine.textfieldKeyword2->setText(repetition);
    testsupport::answerNextModalPanel(path);
    button(engine.windowEnterKeyWord, "btnOKEnterKeyword")->click();
}

// Unlock (no unsaved edits) with `keyword`; the panel gets `path` ("": cancel).
inline void unlockWith(Layout& layout, const QString& keyword, const QString& path)
{
    Engine& engine = *layout.engine;
    if (!isChildWindowAttached(engine.mainWindow, engine.windowUnlockKeyword))
        layout.action(QStringLiteral("btnUnlockText"))->trigger();
    engine.textFieldKeywordUnlock->setText(keyword);
    testsupport::answerNextModalPanel(path);
    button(engine.windowUnlockKeyword, "btnUnlockTextOk")->click();
}

// Closes whatever alert the last command left open.
inline void dismissModals()
{
    for (int i = 0; i < 5 && QApplication::activeModalWidget(); ++i) {
        QApplication::activeModalWidget()->close();
        QCoreApplication::processEvents();
    }
}

// Waits for the alert the command put up and presses its only button.
inline QString takeAlertText()
{
    QMessageBox* alert = testsupport::waitForAlert();
    const QString text = alert ? alert->text() : QString();
    if (alert)
        alert->buttons().first()->click();
    QCoreApplication::processEvents();
    return text;
}

} // namespace securetest
