#pragma once

#include <QHostAddress>
#include <QMetaObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tallowmere::test {

// A tiny HTTP/1.1 server on 127.0.0.1 with a thread of its own, so a test thread that blocks never stalls it.
// Records every request (its head as sent, then its body) and answers each with the status code set last.
class LoopbackHttpServer {
public:
    struct Request {
        std::string head;
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
    // A status code to answer with, or none to read requests and never answer them.
    void respondWith(std::optional<int> statusCode) {
        std::lock_guard lock(m_mutex);
        m_statusCode = statusCode;
    }
    std::vector<Request> requests() const {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    bool waitForRequests(std::size_t count) const {
        std::unique_lock lock(m_mutex);
        return m_arrived.wait_for(lock, std::chrono::seconds(10), [&] { return m_requests.size() >= count; });
    }

private:
    void serve(QTcpSocket* socket) {
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            *buffer += socket->readAll();
            qsizetype headEnd = buffer->indexOf("\r\n\r\n");
            if (headEnd < 0 || socket->property("answered").toBool())
                return;
            QByteArray head = buffer->left(headEnd);
            qsizetype length = head.toLower().indexOf("content-length:");
            if (length >= 0 && buffer->size() - headEnd - 4 < head.mid(length + 15).split('\r')[0].trimmed().toInt())
                return;
            socket->setProperty("answered", true);
            std::lock_guard lock(m_mutex);
            m_requests.push_back({head.toStdString(), buffer->mid(headEnd + 4).toStdString()});
            m_arrived.notify_all();
            if (!m_statusCode)
                return;
            socket->write("HTTP/1.1 " + QByteArray::number(*m_statusCode) +
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
    std::optional<int> m_statusCode = 200;
};

} // namespace tallowmere::test
