#include "testsupport.h"

#include "app/appcontroller.h"
#include "app/layout.h"
#include "engine/engine.h"
#include "feedback/childwindow.h"
#include "feedback/colors.h"
#include "feedback/velkofield_delegate.h"
#include "feedback/velkotextview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QQueue>
#include <QTest>
#include <QTimer>

namespace testsupport {

using namespace velko;

std::unique_ptr<Layout> makeDocumentWindow()
{
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs, true);
    std::unique_ptr<Layout> layout = buildLayout();
    layout->appController->awakeFromNib();
    layout->engine->pipeline = CipherPipeline(CipherPipeline::defaultToolPath(), kRc5Module);
    layout->mainWindow->show();
    if (!QTest::qWaitForWindowExposed(layout->mainWindow.get()))
        qWarning("document window not exposed");
    return layout;
}

QStringList snapshotOf(const Layout& layout)
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
            state.selectedCipher,
            QString::fromUtf8(state.DataToWrite),
            engine.VelkoField->toHtml(),
            flag(engine.VelkoField->isReadOnly()),
            engine.setFileNameLabel->text(),
            labelColor(engine.setFileNameLabel).name(),
            layout.mainWindow->windowTitle()};
}

QString flagsOf(const Layout& layout)
{
    const DocumentState& state = *layout.state;
    QStringList words{state.textChanged ? "edited" : "clean",
                      state.isLastSavedASecureFile ? "secure" : "plain"};
    if (state.textColorSetToOrangeAfterEncryption)
        words << QStringLiteral("orange");
    if (layout.engine->VelkoField->isReadOnly())
        words << QStringLiteral("read-only");
    const QColor label = labelColor(layout.engine->setFileNameLabel);
    if (label != (state.textChanged ? colors::red() : colors::blue()))
        words << QStringLiteral("label ") + label.name();
    return words.join(QLatin1Char(' '));
}

void setDocumentPath(Layout& layout, const QString& path)
{
    layout.state->fileName = path;
    layout.engine->showPathInLabelAndTitle(path);
}

void typeIntoView(Layout& layout, const QString& text)
{
    layout.engine->VelkoField->setFocus();
    QTest::keyClicks(layout.engine->VelkoField, text);
}

QPushButton* button(const QWidget* window, const char* name)
{
    return window->findChild<QPushButton*>(QString::fromLatin1(name));
}

void secureWith(Layout& layout, const QString& keyword, const QString& repetition,
                const QString& path)
{
    Engine& engine = *layout.engine;
    layout.action("btnSecureText")->trigger();
    engine.textfieldKeyword->setText(keyword);
    engine.textfieldKeyword2->setText(repetition);
    answerNextModalPanel(path);
    button(engine.windowEnterKeyWord, "btnOKEnterKeyword")->click();
}

void unlockWith(Layout& layout, const QString& keyword, const QString& path)
{
    Engine& engine = *layout.engine;
    if (!isChildWindowAttached(engine.mainWindow, engine.windowUnlockKeyword))
        layout.action("btnUnlockText")->trigger();
    engine.textFieldKeywordUnlock->setText(keyword);
    answerNextModalPanel(path);
    button(engine.windowUnlockKeyword, "btnUnlockTextOk")->click();
}

namespace {

template <typename T> T* waitForModal(int timeoutMs)
{
    const auto modal = [] {
        return qobject_cast<T*>(QApplication::activeModalWidget());
    };
    return QTest::qWaitFor([&] { return modal() != nullptr; }, timeoutMs) ? modal() : nullptr;
}

struct Answer
{
    bool panel;
    QString text; // the panel's path or the alert's button
    QElapsedTimer waiting;
};

QQueue<Answer>& answers()
{
    static QQueue<Answer> queue;
    return queue;
}
int answersRunning = 0;

// Looks for the modal the first answer waits for, every 20 ms. The answer
// runs from its own timer event: one that opens another modal (a panel
// asking before it overwrites) then blocks only itself.
void pollForModal()
{
    static QPointer<QWidget> answered;
    if (answers().isEmpty())
        return;
    if (answers().head().waiting.elapsed() > 8000) {
        qWarning("no modal widget came for the answer \"%s\"",
                 qPrintable(answers().dequeue().text));
        return;
    }
    QWidget* modal = QApplication::activeModalWidget();
    auto* panel = qobject_cast<QFileDialog*>(modal);
    auto* alert = qobject_cast<QMessageBox*>(modal);
    if (modal == answered || (answers().head().panel ? !panel : !alert))
        return;
    answered = modal;
    const Answer answer = answers().dequeue();
    ++answersRunning;
    QTimer::singleShot(0, qApp, [panel = QPointer(panel), alert = QPointer(alert), answer] {
        if (alert)
            clickAlertButton(alert, answer.text);
        else if (panel && answer.text.isEmpty())
            panel->reject();
        else if (panel)
            acceptPanel(panel, answer.text);
        --answersRunning;
    });
}

void queueAnswer(bool panel, const QString& text)
{
    static QTimer* poll = nullptr;
    if (!poll) {
        poll = new QTimer(qApp);
        QObject::connect(poll, &QTimer::timeout, &pollForModal);
        poll->start(20);
    }
    answers().enqueue({panel, text, {}});
    answers().last().waiting.start();
}

} // namespace

QMessageBox* waitForAlert(int timeoutMs)
{
    return waitForModal<QMessageBox>(timeoutMs);
}

bool clickAlertButton(QMessageBox* alert, const QString& text)
{
    for (QAbstractButton* button : alert ? alert->buttons() : QList<QAbstractButton*>()) {
        if (button->text() == text) {
            button->click();
            QCoreApplication::processEvents();
            return true;
        }
    }
    return false;
}

QString takeAlertText()
{
    QMessageBox* alert = waitForAlert();
    const QString text = alert ? alert->text() : QString();
    if (alert)
        alert->buttons().first()->click();
    QCoreApplication::processEvents();
    return text;
}

void dismissModals()
{
    for (int i = 0; i < 5 && QApplication::activeModalWidget(); ++i) {
        QApplication::activeModalWidget()->close();
        QCoreApplication::processEvents();
    }
}

QFileDialog* waitForPanel(int timeoutMs)
{
    return waitForModal<QFileDialog>(timeoutMs);
}

void acceptPanel(QFileDialog* panel, const QString& path)
{
    if (auto* edit = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->setText(path);
    panel->selectFile(path);
    static_cast<QDialog*>(panel)->accept();
    QCoreApplication::processEvents();
}

void answerNextModalPanel(const QString& path)
{
    queueAnswer(true, path);
}

void answerNextAlert(const QString& buttonText)
{
    queueAnswer(false, buttonText);
}

int answersPending()
{
    return int(answers().size()) + answersRunning;
}

} // namespace testsupport
