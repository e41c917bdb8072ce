#include "testsupport.h"

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

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

QString flagsOf(const Layout& layout)
{
    const DocumentState& state = *layout.state;
    QStringList words{state.textChanged ? "edited" : "clean",
                      state.isLastSavedASecureFile ? "secure" : "plain"};
    if (state.textColorSetToOrangeAfterEncryption)
        words << "orange";
    if (layout.engine->VelkoField->isReadOnly())
        words << "read-only";
    const QColor label = labelColor(layout.engine->setFileNameLabel);
    if (label != (state.textChanged ? colors::red() : colors::blue()))
        words << "label " + label.name();
    return words.join(' ');
}

QStringList snapshotOf(const Layout& layout)
{
    const DocumentState& state = *layout.state;
    return QStringList{flagsOf(layout),
                       state.fileName,
                       state.cipher,
                       state.selectedCipher,
                       QString::fromUtf8(state.DataToWrite),
                       layout.engine->VelkoField->toHtml(),
                       layout.engine->setFileNameLabel->text(),
                       layout.mainWindow->windowTitle()};
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

int answering = 0;

// Polls for the next modal widget of type T and hands it to `answer`; gives
// up after 8 s so a broken test fails, not hangs. Each answer polls with a
// timer of its own: one whose answer opens another modal (a panel asking
// before it overwrites) then blocks only itself.
template <typename T> void answerNextModal(std::function<void(T*)> answer)
{
    ++answering;
    auto* poll = new QTimer(qApp);
    QElapsedTimer started;
    started.start();
    QObject::connect(poll, &QTimer::timeout, [poll, answer, started] {
        auto* widget = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!widget && started.elapsed() < 8000)
            return;
        poll->stop();
        poll->deleteLater();
        if (widget)
            answer(widget);
        --answering;
    });
    poll->start(20);
}

} // namespace

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

void acceptPanel(QFileDialog* panel, const QString& path)
{
    if (auto* edit = panel->findChild<QLineEdit*>("fileNameEdit"))
        edit->setText(path);
    panel->selectFile(path);
    static_cast<QDialog*>(panel)->accept();
    QCoreApplication::processEvents();
}

void answerNextModalPanel(const QString& path)
{
    answerNextModal<QFileDialog>([path](QFileDialog* panel) {
        if (path.isEmpty())
            panel->reject();
        else
            acceptPanel(panel, path);
    });
}

void answerNextAlert(const QString& buttonText)
{
    answerNextModal<QMessageBox>(
        [buttonText](QMessageBox* alert) { clickAlertButton(alert, buttonText); });
}

int answersPending()
{
    return answering;
}

} // namespace testsupport
