#pragma once

#include <QHostAddress>
#include <QMetaObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tallowmere::test {

// A tiny HTTP/1.1 server on 127.0.0.1 with a thread of its own, so a test thread that blocks (or a virtual
// runtime that waits for its workers) never stalls it. Records every request and answers each with the
// status code set last.
class LoopbackHttpServer {
public:
    struct Request {
        std::string method;
        std::string path;                           // with the query, as sent
        std::map<std::string, std::string> headers; // names in lower case
        std::string body;
    };

    LoopbackHttpServer() {
        m_context->moveToThread(&m_thread);
        m_thread.start();
        QMetaObject::invokeMethod(
            m_context,
            [this] {
                auto* server = new QTcpServer(m_context);
                QObject::connect(server, &QTcpServer::newConnection, server, [this, server] {
                    while (QTcpSocket* socket = server->nextPendingConnection())
                        serve(socket);
                });
                server->listen(QHostAddress::LocalHost, 0);
                m_port = server->serverPort();
            },
            Qt::BlockingQueuedConnection);
    }
    ~LoopbackHttpServer() {
        // Closes the listening socket and every connection on the server's own thread.
        QMetaObject::invokeMethod(
            m_context, [this] { qDeleteAll(m_context->children()); }, Qt::BlockingQueuedConnection);
        m_context->deleteLater();
        m_thread.quit();
        m_thread.wait();
    }
    std::string baseURL() const { return "http://127.0.0.1:" + std::to_string(m_port); }
    void respondWith(int statusCode) {
        std::lock_guard lock(m_mutex);
        m_statusCode = statusCode;
        m_quiet = false;
    }
    // Requests are read but never answered (for timeouts).
    void stayQuiet() {
        std::lock_guard lock(m_mutex);
        m_quiet = true;
    }
    std::vector<Request> requests() const {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    // Bounded wait until at least `count` requests arrived.
    bool waitForRequests(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(10)) const {
        std::unique_lock lock(m_mutex);
        return m_arrived.wait_for(lock, limit, [&] { return m_requests.size() >= count; });
    }

private:
    // Reads one request from the connection, records it and answers it.
    void serve(QTcpSocket* socket) {
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            *buffer += socket->readAll();
            qsizetype headerEnd = buffer->indexOf("\r\n\r\n");
            if (headerEnd < 0 || socket->property("answered").toBool())
                return;
            Request request;
            QList<QByteArray> lines = buffer->left(headerEnd).split('\n');
            QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
            request.method = requestLine.value(0).toStdString();
            request.path = requestLine.value(1).toStdString();
            for (qsizetype i = 1; i < lines.size(); ++i) {
                if (qsizetype colon = lines[i].indexOf(':'); colon > 0)
                    request.headers[lines[i].left(colon).trimmed().toLower().toStdString()] =
                        lines[i].mid(colon + 1).trimmed().toStdString();
            }
            QByteArray body = buffer->mid(headerEnd + 4);
            auto length = request.headers.find("content-length");
            if (length != request.headers.end() && body.size() < std::stoll(length->second))
                return;
            request.body = body.toStdString();
            socket->setProperty("answered", true);
            std::lock_guard lock(m_mutex);
            m_requests.push_back(std::move(request));
            m_arrived.notify_all();
            if (m_quiet)
                return;
            socket->write("HTTP/1.1 " + QByteArray::number(m_statusCode) +
                          " Status\r\nContent-Length: 2\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\nok");
            socket->disconnectFromHost();
        });
    }

    QThread m_thread;
    QObject* m_context = new QObject; // lives on m_thread, parent of the listening server and its connections
    int m_port = 0;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_arrived;
    std::vector<Request> m_requests;
    int m_statusCode = 200;
    bool m_quiet = false;
};

} // namespace tallowmere::test
