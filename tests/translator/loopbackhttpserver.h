#pragma once

// A small HTTP/1.1 server on 127.0.0.1, on its own thread so a blocking client
// gets served. Each connection gets the answer registered for the longest
// prefix of its target, then is closed; an empty answer: never answer.

#include <QHash>
#include <QMutex>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <memory>

class LoopbackHttpServer
{
public:
    using Headers = QList<QPair<QByteArray, QByteArray>>;
    struct Request
    {
        QByteArray method, target;
        Headers headers;
    };

    LoopbackHttpServer()
    {
        m_thread.start();
        m_context->moveToThread(&m_thread);
        QMetaObject::invokeMethod(
            m_context.get(), [this] { listen(); }, Qt::BlockingQueuedConnection);
    }
    ~LoopbackHttpServer()
    {
        QMetaObject::invokeMethod(
            m_context.get(), [this] { delete m_server; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    QString baseUrl(const QString& prefix = {}) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(prefix);
    }
    void setAnswer(const QByteArray& targetPrefix, const QByteArray& rawAnswer)
    {
        QMutexLocker lock(&m_mutex);
        m_answers.insert(targetPrefix, rawAnswer);
    }
    QList<Request> requests() const
    {
        QMutexLocker lock(&m_mutex);
        return m_requests;
    }
    void clearRequests()
    {
        QMutexLocker lock(&m_mutex);
        m_requests.clear();
    }

    // A whole HTTP/1.1 answer with Content-Length.
    static QByteArray answer(int status, const QByteArray& body = {}, const Headers& headers = {})
    {
        QByteArray raw = "HTTP/1.1 " + QByteArray::number(status) + " Status\r\n";
        for (const auto& [name, value] : headers)
            raw += name + ": " + value + "\r\n";
        return raw + "Content-Length: " + QByteArray::number(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body;
    }
    static QByteArray redirect(int status, const QByteArray& location)
    {
        return answer(status, {}, {{"Location", location}});
    }

private:
    void listen()
    {
        m_server = new QTcpServer;
        QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this] { accept(); });
        m_server->listen(QHostAddress::LocalHost, 0);
        m_port = m_server->serverPort();
    }

    void accept()
    {
        while (QTcpSocket* socket = m_server->nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                buffer->append(socket->readAll());
                const qsizetype end = buffer->indexOf("\r\n\r\n");
                if (end >= 0 && !socket->property("seen").toBool()) {
                    socket->setProperty("seen", true);
                    serve(socket, buffer->left(end));
                }
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void serve(QTcpSocket* socket, const QByteArray& head)
    {
        QList<QByteArray> lines = head.split('\n');
        const QList<QByteArray> requestLine = lines.takeFirst().trimmed().split(' ');
        Request request{requestLine.value(0), requestLine.value(1), {}};
        for (const QByteArray& line : lines)
            request.headers.append(
                {line.left(line.indexOf(':')), line.mid(line.indexOf(':') + 1).trimmed()});
        QByteArray rawAnswer = answer(404, "no such test route");
        {
            QMutexLocker lock(&m_mutex);
            m_requests.append(request);
            qsizetype longest = -1;
            for (auto it = m_answers.cbegin(); it != m_answers.cend(); ++it) {
                if (request.target.startsWith(it.key()) && it.key().size() > longest) {
                    longest = it.key().size();
                    rawAnswer = it.value();
                }
            }
        }
        if (rawAnswer.isEmpty())
            return; // hold the connection open, say nothing
        socket->write(rawAnswer);
        socket->disconnectFromHost();
    }

    QThread m_thread;
    std::unique_ptr<QObject> m_context = std::make_unique<QObject>();
    QTcpServer* m_server = nullptr;
    quint16 m_port = 0;
    mutable QMutex m_mutex;
    QHash<QByteArray, QByteArray> m_answers;
    QList<Request> m_requests;
};
