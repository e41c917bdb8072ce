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

namespace testsupport {

namespace {
const char* const kVariables[5] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                                   "XDG_DATA_DIRS"};
}

TempHome::TempHome()
{
    for (int i = 0; i < 5; ++i)
        m_saved[i] = qgetenv(kVariables[i]);
    const QString home = m_dir.path();
    QDir(home).mkpath(QStringLiteral(".local/share"));
    QDir(home).mkpath(QStringLiteral(".config"));
    QDir(home).mkpath(QStringLiteral(".cache"));
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/.local/share")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home + QStringLiteral("/.cache")).toLocal8Bit());
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
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (auto* widget = qobject_cast<T*>(QApplication::activeModalWidget()))
            return widget;
        QTest::qWait(10);
    }
    return qobject_cast<T*>(QApplication::activeModalWidget());
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

void answerNextModalPanel(const QString& path)
{
    auto* poll = new QTimer;
    poll->setInterval(20);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, [poll, path, started]() {
        auto* panel = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!panel) {
            if (started->elapsed() > 8000)
                poll->deleteLater();
            return;
        }
        poll->stop();
        poll->deleteLater();
        if (path.isEmpty())
            panel->reject();
        else
            acceptPanel(panel, path);
    });
    poll->start();
}

void answerNextAlert(const QString& buttonText)
{
    auto* poll = new QTimer;
    poll->setInterval(20);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, [poll, buttonText, started]() {
        auto* alert = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!alert) {
            if (started->elapsed() > 8000)
                poll->deleteLater();
            return;
        }
        poll->stop();
        poll->deleteLater();
        clickAlertButton(alert, buttonText);
    });
    poll->start();
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
