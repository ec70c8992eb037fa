#include "support/LoopbackHttpServer.h"

#include <QHostAddress>
#include <QMetaObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace tallowmere::test {

// Reads one request from a connection, hands it to the server and answers it.
class LoopbackConnection : public QObject {
public:
    LoopbackConnection(LoopbackHttpServer& server, QTcpSocket* socket)
        : QObject(socket)
        , m_server(server)
        , m_socket(socket) {
        connect(socket, &QTcpSocket::readyRead, this, [this] { readMore(); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

private:
    void readMore() {
        m_buffer += m_socket->readAll();
        qsizetype headerEnd = m_buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0 || m_answered)
            return;
        LoopbackHttpServer::Request request;
        QList<QByteArray> lines = m_buffer.left(headerEnd).split('\n');
        QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request.method = requestLine.value(0).toStdString();
        request.path = requestLine.value(1).toStdString();
        qsizetype contentLength = 0;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            QByteArray line = lines[i].trimmed();
            qsizetype colon = line.indexOf(':');
            if (colon <= 0)
                continue;
            QByteArray name = line.left(colon).trimmed().toLower();
            QByteArray value = line.mid(colon + 1).trimmed();
            request.headers[name.toStdString()] = value.toStdString();
            if (name == "content-length")
                contentLength = value.toLongLong();
        }
        QByteArray body = m_buffer.mid(headerEnd + 4);
        if (body.size() < contentLength)
            return;
        request.body = body.left(contentLength).toStdString();
        m_answered = true;
        bool quiet = m_server.isQuiet();
        int status = m_server.statusCode();
        m_server.record(std::move(request));
        if (quiet)
            return;
        QByteArray answer = "HTTP/1.1 " + QByteArray::number(status) +
                            " Status\r\nContent-Length: 2\r\n"
                            "Content-Type: text/plain\r\nConnection: close\r\n\r\nok";
        m_socket->write(answer);
        m_socket->disconnectFromHost();
    }

    LoopbackHttpServer& m_server;
    QTcpSocket* m_socket;
    QByteArray m_buffer;
    bool m_answered = false;
};

LoopbackHttpServer::LoopbackHttpServer()
    : m_thread(std::make_unique<QThread>()) {
    m_thread->setObjectName("LoopbackHttpServer");
    m_context = new QObject;
    m_context->moveToThread(m_thread.get());
    m_thread->start();
    QMetaObject::invokeMethod(
        m_context,
        [this] {
            auto* server = new QTcpServer(m_context);
            QObject::connect(server, &QTcpServer::newConnection, server, [this, server] {
                while (QTcpSocket* socket = server->nextPendingConnection())
                    new LoopbackConnection(*this, socket);
            });
            server->listen(QHostAddress::LocalHost, 0);
            m_port = server->serverPort();
        },
        Qt::BlockingQueuedConnection);
}

LoopbackHttpServer::~LoopbackHttpServer() {
    // Closes the listening socket and every connection on the server's own thread.
    QMetaObject::invokeMethod(
        m_context, [this] { qDeleteAll(m_context->children()); }, Qt::BlockingQueuedConnection);
    m_context->deleteLater();
    m_thread->quit();
    m_thread->wait();
}

std::string LoopbackHttpServer::baseURL() const {
    return "http://127.0.0.1:" + std::to_string(m_port);
}

void LoopbackHttpServer::respondWith(int statusCode) {
    std::lock_guard lock(m_mutex);
    m_statusCode = statusCode;
    m_quiet = false;
}

void LoopbackHttpServer::stayQuiet() {
    std::lock_guard lock(m_mutex);
    m_quiet = true;
}

std::vector<LoopbackHttpServer::Request> LoopbackHttpServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

bool LoopbackHttpServer::waitForRequests(std::size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(m_mutex);
    return m_arrived.wait_for(lock, limit, [&] { return m_requests.size() >= count; });
}

void LoopbackHttpServer::record(Request request) {
    std::lock_guard lock(m_mutex);
    m_requests.push_back(std::move(request));
    m_arrived.notify_all();
}

int LoopbackHttpServer::statusCode() const {
    std::lock_guard lock(m_mutex);
    return m_statusCode;
}

bool LoopbackHttpServer::isQuiet() const {
    std::lock_guard lock(m_mutex);
    return m_quiet;
}

} // namespace tallowmere::test
