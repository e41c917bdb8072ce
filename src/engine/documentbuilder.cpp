#include "engine/documentbuilder.h"

#include "feedback/childwindow.h"
#include "rtf/rtf.h"

#include <QProgressBar>
#include <QProgressDialog>
#include <QTextDocument>
#include <QThread>
#include <QTimer>

#include <climits>
#include <utility>

namespace velko {

namespace {

// The bar's steps, and how often it follows the thread, in milliseconds.
constexpr int kBarSteps = 1000;
constexpr int kPollMs = 100;

} // namespace

DocumentBuilder::DocumentBuilder(QWidget* window, const QByteArray& rtf, const QFont& defaultFont,
                                 std::function<void(QTextDocument*)> prepare, QObject* parent)
    : QObject(parent), m_window(window), m_rtf(rtf), m_font(defaultFont),
      m_prepare(std::move(prepare))
{
}

DocumentBuilder::~DocumentBuilder()
{
    m_cancelled = true;
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
    delete m_built;
    delete m_dialog.data();
}

void DocumentBuilder::start(int progressAfterMs)
{
    m_home = thread();
    m_thread = QThread::create(&DocumentBuilder::build, this);
    connect(m_thread, &QThread::finished, this, &DocumentBuilder::threadFinished);
    m_thread->start();
    if (progressAfterMs <= 0)
        showProgress();
    else
        QTimer::singleShot(progressAfterMs, this, &DocumentBuilder::showProgress);
}

// On the thread: the document is made there, read into, and handed to the
// window's thread as the last step.
void DocumentBuilder::build()
{
    auto* document = new QTextDocument;
    document->setDefaultFont(m_font);
    // The layout is made here, empty and without a page size, so it lays
    // out nothing here: fonts are for the window's thread. The view that
    // takes the document keeps it and gives it its page size, rather than
    // telling all that listen that the whole text changed.
    document->setPageSize(QSizeF(0, 0));
    document->documentLayout();
    if (m_prepare)
        m_prepare(document);
    const auto progress = [this](qint64 bytesRead) {
        m_bytesRead = bytesRead;
        return !m_cancelled;
    };
    if (!rtf::read(m_rtf, document, progress)) {
        delete document;
        return;
    }
    document->moveToThread(m_home);
    m_built = document;
}

void DocumentBuilder::showProgress()
{
    if (m_ended || m_dialog)
        return;
    m_dialog =
        new QProgressDialog(tr("Reading the document…"), tr("Cancel"), 0, kBarSteps, m_window);
    m_dialog->setObjectName(QStringLiteral("documentProgress"));
    m_dialog->setWindowTitle(tr("Opening the document"));
    m_dialog->setAccessibleName(tr("Opening the document"));
    m_dialog->setMinimumWidth(titleFittingWidth(m_dialog));
    // The bar is set directly: the dialog's own setValue() would run the
    // event loop inside it. Nor does the dialog show itself: it is shown here.
    m_bar = new QProgressBar(m_dialog);
    m_bar->setRange(0, kBarSteps);
    m_bar->setAccessibleName(tr("Part of the document read"));
    m_dialog->setBar(m_bar);
    m_dialog->setMinimumDuration(INT_MAX);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    connect(m_dialog, &QProgressDialog::canceled, this, &DocumentBuilder::cancel);
    connect(m_dialog, &QDialog::rejected, this, &DocumentBuilder::cancel);
    m_poll = new QTimer(this);
    connect(m_poll, &QTimer::timeout, this, &DocumentBuilder::showBytesRead);
    m_poll->start(kPollMs);
    showBytesRead();
    m_dialog->open();
}

void DocumentBuilder::showBytesRead()
{
    if (m_bar && !m_rtf.isEmpty())
        m_bar->setValue(int(m_bytesRead * kBarSteps / m_rtf.size()));
}

void DocumentBuilder::cancel()
{
    m_cancelled = true;
    end(nullptr);
}

void DocumentBuilder::threadFinished()
{
    end(std::exchange(m_built, nullptr));
    deleteLater();
}

void DocumentBuilder::end(QTextDocument* document)
{
    if (m_ended) {
        delete document; // built after all, but called off
        return;
    }
    m_ended = true;
    if (m_poll)
        m_poll->stop();
    if (m_dialog) {
        m_dialog->hide();
        m_dialog->deleteLater();
        m_dialog = nullptr;
        m_bar = nullptr;
    }
    emit finished(document);
}

} // namespace velko
