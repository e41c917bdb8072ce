#pragma once

// Shared by the Secure and Unlock window tests: drives the real document
// window and keyword windows with the real openssl tool.

#include "testsupport.h"

#include "app/layout.h"
#include "core/cipherpipeline.h"
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
#include <QTextCursor>
#include <QTimer>

namespace securetest {

using namespace velko;

inline const QString kRc5Module = QStringLiteral(VELKO_BIN_DIR "/ossl-modules/velkorc5.so");

inline void useRealPipeline(Layout& layout)
{
    layout.engine->pipeline = CipherPipeline(CipherPipeline::defaultToolPath(), kRc5Module);
}

// Everything a failed command must leave as it found it.
struct Snapshot
{
    QString fileName;
    bool textChanged;
    bool isLastSavedASecureFile;
    bool textColorSetToOrangeAfterEncryption;
    QString cipher;
    QByteArray DataToWrite;
    QString html;
    bool readOnly;
    QString label;
    QColor labelColour;
    QString title;

    static Snapshot of(const Layout& layout)
    {
        const DocumentState& state = *layout.state;
        const Engine& engine = *layout.engine;
        return {state.fileName,
                state.textChanged,
                state.isLastSavedASecureFile,
                state.textColorSetToOrangeAfterEncryption,
                state.cipher,
                state.DataToWrite,
                engine.VelkoField->toHtml(),
                engine.VelkoField->isReadOnly(),
                engine.setFileNameLabel->text(),
                labelColor(engine.setFileNameLabel),
                layout.mainWindow->windowTitle()};
    }
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

inline QPushButton* button(QWidget* window, const char* name)
{
    return window->findChild<QPushButton*>(QString::fromLatin1(name));
}

// Types into the view as the user would: an edit.
inline void typeIntoView(Layout& layout, const QString& text)
{
    layout.engine->VelkoField->setFocus();
    QTest::keyClicks(layout.engine->VelkoField, text);
}

// Rich text put in by code, not an edit: fonts, sizes, weight, slant,
// colours and text beyond Latin-1 over two paragraphs.
inline void putFormattedText(VelkoTextView* view)
{
    VelkoTextView::CodeChange change(view);
    view->clear();
    QTextCursor cursor(view->document());
    const auto put = [&](const char* text, const char* family, int size, QFont::Weight weight,
                         bool italic, QColor colour) {
        QTextCharFormat format;
        format.setFontFamilies({QString::fromLatin1(family)});
        format.setFontPointSize(size);
        format.setFontWeight(weight);
        format.setFontItalic(italic);
        if (colour.isValid())
            format.setForeground(colour);
        cursor.insertText(QString::fromUtf8(text), format);
    };
    put("Plain start, ", "DejaVu Sans", 12, QFont::Normal, false, {});
    put("bold words", "DejaVu Sans", 12, QFont::Bold, false, {});
    put(" green serif", "DejaVu Serif", 18, QFont::Normal, false, QColor(0, 128, 0));
    cursor.insertBlock();
    put("Здравей, свят — ключ ✓ 日本語 ünïcödé", "DejaVu Sans", 12, QFont::Normal, true,
        QColor(200, 0, 0));
}

// Presses the Secure command, fills both fields and presses OK; the save
// panel that follows is answered with `path` (empty: cancelled).
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

// Opens the unlock keyword window (no unsaved edits), types the keyword and
// presses OK; the open panel is answered with `path` (empty: cancelled).
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
    for (int i = 0; i < 5; ++i) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        modal->close();
        QCoreApplication::processEvents();
    }
}

// Waits for the alert the command put up and presses its only button.
inline QString takeAlertText(QString* informative = nullptr)
{
    QMessageBox* alert = testsupport::waitForAlert();
    if (!alert)
        return {};
    const QString text = alert->text();
    if (informative)
        *informative = alert->informativeText();
    alert->buttons().first()->click();
    QCoreApplication::processEvents();
    return text;
}

} // namespace securetest

// Without a display, the offscreen platform's GLX variant still offers an
// X11 interface whose connection is unusable, and child windows that look
// for the window manager's frame through it crash. The plain offscreen
// platform offers none.
#define SECURE_TEST_MAIN(TestObject)                                                               \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        qputenv("QT_QPA_OFFSCREEN_NO_GLX", "1");                                                   \
        QApplication app(argc, argv);                                                              \
        TestObject test;                                                                           \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
