#pragma once

#include <QByteArray>
#include <QFont>
#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>

class QProgressBar;
class QProgressDialog;
class QTextDocument;
class QThread;
class QTimer;
class QWidget;

namespace velko {

// Builds a document from RTF on a thread of its own, so the window stays
// responsive, and shows how far it came in a window-modal progress dialog
// whose Cancel calls it off. Ends once with finished(): the document built,
// living on the window's thread and owned by no one, or nullptr when called
// off. The RTF must have passed rtf::check(). Deletes itself afterwards.
class DocumentBuilder : public QObject
{
    Q_OBJECT
public:
    // `defaultFont`: the font the document's text defaults to; `prepare`, when
    // given, is run on the thread with the document still empty.
    DocumentBuilder(QWidget* window, const QByteArray& rtf, const QFont& defaultFont,
                    std::function<void(QTextDocument*)> prepare, QObject* parent);
    // Stops the thread without a word: finished() does not follow.
    ~DocumentBuilder() override;

    // The dialog shows after `progressAfterMs` (at once for 0), unless the
    // document was built before.
    void start(int progressAfterMs);
    // Calls the work off: finished(nullptr) follows at once.
    void cancel();

signals:
    void finished(QTextDocument* document);

private:
    void build();
    void showProgress();
    void showBytesRead();
    void threadFinished();
    void end(QTextDocument* document);

    QPointer<QWidget> m_window;
    const QByteArray m_rtf;
    const QFont m_font;
    const std::function<void(QTextDocument*)> m_prepare;
    QThread* m_thread = nullptr;
    QThread* m_home = nullptr;        // where the document built goes to live
    QTextDocument* m_built = nullptr; // set by the thread as its last step
    std::atomic<qint64> m_bytesRead{0};
    std::atomic<bool> m_cancelled{false};
    QPointer<QProgressDialog> m_dialog; // a child of the window, which may go first
    QPointer<QProgressBar> m_bar;
    QTimer* m_poll = nullptr;
    bool m_ended = false;
};

} // namespace velko
