#include "translator/httpfetch.h"

#include <QEventLoop>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStringDecoder>
#include <QTimer>

#include <zlib.h>

#include <memory>

namespace velko {

namespace {

// windowBits for inflateInit2: 15 + 32 detects a gzip or zlib header, -15 reads
// raw deflate data (what some servers send for "deflate").
constexpr int kAutoDetectHeader = 15 + 32;
constexpr int kRawDeflate = -15;

Error tooLarge()
{
    return makeError(ErrorCode::NetworkFailed,
                     QStringLiteral("the answer is larger than %1 MB and was given up")
                         .arg(kMaxAnswerBytes / (1024 * 1024)));
}

Result<QByteArray> inflateWith(const QByteArray& data, int windowBits)
{
    z_stream stream{};
    if (inflateInit2(&stream, windowBits) != Z_OK)
        return makeError(ErrorCode::Internal, QStringLiteral("zlib could not start"));
    std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&stream, inflateEnd);

    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());

    QByteArray out;
    char chunk[16384];
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof chunk;
        status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END)
            return makeError(ErrorCode::NetworkFailed,
                             QStringLiteral("damaged compressed body: %1")
                                 .arg(QString::fromLatin1(stream.msg ? stream.msg : "truncated")));
        out.append(chunk, static_cast<qsizetype>(sizeof chunk - stream.avail_out));
        if (out.size() > kMaxAnswerBytes)
            return tooLarge();
        if (status == Z_OK && stream.avail_in == 0 && stream.avail_out != 0)
            return makeError(ErrorCode::NetworkFailed,
                             QStringLiteral("compressed body ends early"));
    }
    return out;
}

Result<QByteArray> undoOneCoding(const QByteArray& data, const QByteArray& coding)
{
    if (coding.isEmpty() || coding == "identity")
        return data;
    if (coding == "gzip" || coding == "x-gzip")
        return inflateWith(data, kAutoDetectHeader);
    if (coding == "deflate") {
        Result<QByteArray> wrapped = inflateWith(data, kAutoDetectHeader);
        return wrapped ? wrapped : inflateWith(data, kRawDeflate);
    }
    return makeError(ErrorCode::NetworkFailed,
                     QStringLiteral("unknown content coding %1").arg(QString::fromLatin1(coding)));
}

} // namespace

Result<QByteArray> undoContentCoding(const QByteArray& body, const QByteArray& contentEncoding)
{
    QList<QByteArray> codings = contentEncoding.split(',');
    QByteArray data = body;
    for (auto it = codings.crbegin(); it != codings.crend(); ++it) {
        Result<QByteArray> step = undoOneCoding(data, it->trimmed().toLower());
        if (!step)
            return step.error();
        data = std::move(step).value();
    }
    return data;
}

QString decodeAnswerText(const QByteArray& body, const QByteArray& contentType)
{
    for (const QByteArray& parameter : contentType.split(';')) {
        const QByteArray trimmed = parameter.trimmed();
        if (!trimmed.toLower().startsWith("charset="))
            continue;
        QByteArray name = trimmed.mid(8).trimmed();
        if (name.size() >= 2 && name.startsWith('"') && name.endsWith('"'))
            name = name.mid(1, name.size() - 2);
        QStringDecoder decoder(name.constData());
        if (decoder.isValid())
            return decoder.decode(body);
    }
    return QString::fromUtf8(body);
}

HttpFetch::HttpFetch(QObject* parent)
    : QObject(parent), m_manager(new QNetworkAccessManager(this)), m_deadline(new QTimer(this))
{
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, &HttpFetch::deadlinePassed);
}

HttpFetch::~HttpFetch()
{
    delete m_reply;
}

void HttpFetch::start(QNetworkRequest request, int timeoutMs)
{
    if (!request.url().isValid()) {
        finish(makeError(ErrorCode::NetworkFailed,
                         QStringLiteral("not a URL: %1").arg(request.url().errorString())));
        return;
    }
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    m_timeoutMs = timeoutMs;
    m_reply = m_manager->get(request);
    connect(m_reply, &QNetworkReply::finished, this, &HttpFetch::replyFinished);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &HttpFetch::bytesArrived);
    m_deadline->start(timeoutMs);
}

void HttpFetch::deadlinePassed()
{
    m_timedOut = true;
    m_reply->abort(); // finishes the reply
}

void HttpFetch::bytesArrived(qint64 received)
{
    if (received > kMaxAnswerBytes && !m_oversized) {
        m_oversized = true;
        m_reply->abort();
    }
}

void HttpFetch::replyFinished()
{
    m_deadline->stop();
    if (m_oversized) {
        finish(tooLarge());
        return;
    }
    if (m_timedOut) {
        finish(makeError(ErrorCode::NetworkFailed,
                         QStringLiteral("no answer within %1 seconds").arg(m_timeoutMs / 1000.0)));
        return;
    }
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        finish(makeError(ErrorCode::NetworkFailed, m_reply->errorString()));
        return;
    }
    HttpAnswer answer;
    answer.statusCode = status.toInt();
    answer.contentType = m_reply->rawHeader("Content-Type");
    Result<QByteArray> body =
        undoContentCoding(m_reply->readAll(), m_reply->rawHeader("Content-Encoding"));
    if (!body) {
        finish(body.error());
        return;
    }
    answer.body = std::move(body).value();
    finish(std::move(answer));
}

void HttpFetch::finish(Result<HttpAnswer> result)
{
    m_result = std::move(result);
    emit answered();
}

Result<HttpAnswer> getSynchronously(QNetworkRequest request, int timeoutMs)
{
    HttpFetch fetch;
    QEventLoop loop;
    QObject::connect(&fetch, &HttpFetch::answered, &loop, &QEventLoop::quit);
    fetch.start(std::move(request), timeoutMs);
    if (!fetch.isAnswered())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return fetch.result();
}

} // namespace velko
