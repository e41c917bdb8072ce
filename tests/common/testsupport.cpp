#include "testsupport.h"

#include "app/appcontroller.h"
#include "app/layout.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace testsupport {

namespace {
const char* const kVariables[5] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                                   "XDG_DATA_DIRS"};
const char* const kFolders[3] = {"/.local/share", "/.config", "/.cache"};
} // namespace

TempHome::TempHome()
{
    for (int i = 0; i < 5; ++i)
        m_saved[i] = qgetenv(kVariables[i]);
    qputenv("HOME", m_dir.path().toLocal8Bit());
    for (int i = 0; i < 3; ++i) {
        const QString folder = m_dir.path() + QLatin1String(kFolders[i]);
        QDir().mkpath(folder);
        qputenv(kVariables[i + 1], folder.toLocal8Bit());
    }
}

TempHome::~TempHome()
{
    for (int i = 0; i < 5; ++i) {
        if (m_saved[i].isNull())
            qunsetenv(kVariables[i]);
        else
            qputenv(kVariables[i], m_saved[i]);
    }
}

QString TempHome::makeDesktop()
{
    QDir(path()).mkpath(QStringLiteral("Desktop"));
    return filePath(QStringLiteral("Desktop"));
}

std::unique_ptr<velko::Layout> makeDocumentWindow()
{
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs, true);
    std::unique_ptr<velko::Layout> layout = velko::buildLayout();
    layout->appController->awakeFromNib();
    layout->mainWindow->show();
    if (!QTest::qWaitForWindowExposed(layout->mainWindow.get()))
        qWarning("document window not exposed");
    return layout;
}

namespace {

template <typename T> T* waitForModal(int timeoutMs)
{
    const auto modal = [] {
        return qobject_cast<T*>(QApplication::activeModalWidget());
    };
    return QTest::qWaitFor([&] { return modal() != nullptr; }, timeoutMs) ? modal() : nullptr;
}

} // namespace

QMessageBox* waitForAlert(int timeoutMs)
{
    return waitForModal<QMessageBox>(timeoutMs);
}

bool clickAlertButton(QMessageBox* alert, const QString& text)
{
    if (!alert)
        return false;
    for (QAbstractButton* button : alert->buttons()) {
        if (button->text() == text) {
            button->click();
            QCoreApplication::processEvents();
            return true;
        }
    }
    return false;
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

namespace {

// Polls for the next modal widget of type T and hands it to `answer`; gives
// up after a few seconds so a broken test fails, not hangs.
template <typename T> void answerNextModal(std::function<void(T*)> answer)
{
    auto* poll = new QTimer;
    poll->setInterval(20);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, [poll, answer, started]() {
        auto* widget = qobject_cast<T*>(QApplication::activeModalWidget());
        if (widget || started->elapsed() > 8000)
            poll->deleteLater();
        if (!widget)
            return;
        poll->stop();
        answer(widget);
    });
    poll->start();
}

} // namespace

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

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(data) == data.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace testsupport
