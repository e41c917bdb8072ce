#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QNetworkRequest>
#include <QObject>
#include <QString>

#include <optional>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace velko {

// One finished HTTP exchange: the status of the final answer (redirections
// followed) and its body with any content coding undone.
struct HttpAnswer
{
    int statusCode = 0;
    QByteArray body;
    QByteArray contentType;
};

// The largest answer taken, before and after its content coding is undone;
// a larger one is given up as it arrives.
inline constexpr qsizetype kMaxAnswerBytes = 4 * 1024 * 1024;

// One GET under way: the final answer (redirections followed, content
// coding undone, at most kMaxAnswerBytes) or why there is none, told once by
// `answered` on the thread that started it. Runs on that thread's event loop;
// nothing blocks.
class HttpFetch : public QObject
{
    Q_OBJECT
public:
    explicit HttpFetch(QObject* parent = nullptr);
    ~HttpFetch() override;

    void start(QNetworkRequest request, int timeoutMs);
    bool isAnswered() const { return m_result.has_value(); }
    // Once answered: the answer, or ErrorCode::NetworkFailed.
    const Result<HttpAnswer>& result() const { return *m_result; }

signals:
    void answered();

private:
    void replyFinished();
    void deadlinePassed();
    void bytesArrived(qint64 received);
    void finish(Result<HttpAnswer> result);

    QNetworkAccessManager* m_manager;
    QNetworkReply* m_reply = nullptr;
    QTimer* m_deadline;
    int m_timeoutMs = 0;
    bool m_timedOut = false;
    bool m_oversized = false;
    std::optional<Result<HttpAnswer>> m_result;
};

// Sends a GET for the request and waits, blocking the calling thread, until
// the final answer has arrived or timeoutMs have passed. Works on any thread:
// it makes its own QNetworkAccessManager and runs a local event loop that
// takes no user input. No answer (refused, time-out, bad URL, a body whose
// coding cannot be undone, an answer beyond kMaxAnswerBytes) is
// ErrorCode::NetworkFailed.
Result<HttpAnswer> getSynchronously(QNetworkRequest request, int timeoutMs);

// Undoes the content codings named in a Content-Encoding value ("gzip",
// "x-gzip", "deflate" with or without its zlib wrapper, "identity"), last
// applied first. Unknown codings and damaged data are errors.
Result<QByteArray> undoContentCoding(const QByteArray& body, const QByteArray& contentEncoding);

// The body as text in the charset named by the Content-Type value, UTF-8
// when it names none or one we do not know.
QString decodeAnswerText(const QByteArray& body, const QByteArray& contentType);

} // namespace velko
