#include "platform/sim/SimEventListener.h"

#include "simulator/AppLink.h"

#include "platform/LineFramer.h"
#include "platform/Log.h"

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <list>
#include <map>

namespace tallowmere {

namespace {

void logDropped(const std::string& why) {
    logLine(LogCategory::platformSim(), "Simulated Mac: dropped " + why + " on the application's socket");
}

} // namespace

// Lives on the listener thread; everything in it is touched there only.
struct SimEventListener::Context {
    struct Connection {
        QPointer<QLocalSocket> socket;
        LineFramer lines{maximumLineLength};
    };

    QObject anchor;
    QLocalServer* server = nullptr;
    std::map<std::int64_t, QPointer<QLocalSocket>> pendingPower;
    // Oldest first.
    std::list<Connection> connections;

    void forget(QLocalSocket* socket) {
        std::erase_if(pendingPower, [socket](const auto& entry) { return entry.second == socket; });
        connections.remove_if([socket](const Connection& connection) { return connection.socket == socket; });
    }
    Connection* find(QLocalSocket* socket) {
        auto it = std::find_if(connections.begin(), connections.end(),
                               [socket](const Connection& connection) { return connection.socket == socket; });
        return it == connections.end() ? nullptr : &*it;
    }
};

namespace {

void write(QLocalSocket* socket, const QJsonObject& message) {
    if (!socket || socket->state() != QLocalSocket::ConnectedState || socket->property("isClosing").toBool())
        return;
    // A client that sends but never reads would make the answers pile up here without end.
    if (socket->bytesToWrite() > static_cast<qint64>(SimEventListener::maximumPendingReplies)) {
        socket->setProperty("isClosing", true);
        logLine(LogCategory::platformSim(), "Simulated Mac: closed a connection that does not read its answers");
        // Later: the connection may be in the middle of reading its lines.
        QMetaObject::invokeMethod(socket, &QLocalSocket::abort, Qt::QueuedConnection);
        return;
    }
    socket->write(macsim::AppEvent::encode(message));
    socket->flush();
}

} // namespace

SimEventListener::SimEventListener(std::string socketPath, Handler handler)
    : m_socketPath(std::move(socketPath))
    , m_handler(std::move(handler)) {}

SimEventListener::~SimEventListener() {
    stop();
}

bool SimEventListener::start(std::string* error) {
    if (m_thread)
        return true;
    m_thread = std::make_unique<QThread>();
    m_thread->setObjectName("SimEventListener");
    auto context = std::make_shared<Context>();
    context->anchor.moveToThread(m_thread.get());
    m_thread->start();
    {
        std::lock_guard lock(m_contextMutex);
        m_context = context;
    }

    bool listening = false;
    QString failure;
    // Held weakly: a reply sent after the listener stopped is dropped with the context.
    auto replyLater = [weak = std::weak_ptr<Context>(context)](QLocalSocket* socket) -> Reply {
        return [weak, socket = QPointer<QLocalSocket>(socket)](const QJsonObject& reply) {
            if (auto context = weak.lock())
                QMetaObject::invokeMethod(
                    &context->anchor, [socket, reply] { write(socket.data(), reply); }, Qt::QueuedConnection);
        };
    };
    auto receive = [this, context = context.get(), replyLater](QLocalSocket* socket, const QByteArray& line) {
        std::string problem;
        auto message = macsim::AppEvent::decodeForApplication(line.trimmed(), &problem);
        if (!message) {
            logDropped(problem);
            return;
        }
        if (message->value("event").toString() == "power")
            context->pendingPower[static_cast<std::int64_t>(message->value("argument").toDouble())] = socket;
        if (auto reply = m_handler(*message, replyLater(socket)))
            write(socket, *reply);
    };
    QMetaObject::invokeMethod(
        &context->anchor,
        [this, context = context.get(), &listening, &failure, receive] {
            auto* server = new QLocalServer(&context->anchor);
            server->setSocketOptions(QLocalServer::UserAccessOption);
            // A socket left behind by an application that ended without closing it is taken over.
            QLocalServer::removeServer(QString::fromStdString(m_socketPath));
            listening = server->listen(QString::fromStdString(m_socketPath));
            if (!listening) {
                failure = server->errorString();
                delete server;
                return;
            }
            // Only this user may talk to the application (the folder it is in is theirs alone as well).
            QFile::setPermissions(server->fullServerName(), QFile::ReadOwner | QFile::WriteOwner);
            context->server = server;
            QObject::connect(server, &QLocalServer::newConnection, server, [context, server, receive] {
                while (QLocalSocket* socket = server->nextPendingConnection()) {
                    if (context->connections.size() >= maximumConnections) {
                        logLine(LogCategory::platformSim(), "Simulated Mac: closed the oldest of " +
                                                                std::to_string(maximumConnections) +
                                                                " open connections to take a new one");
                        QPointer<QLocalSocket> oldest = context->connections.front().socket;
                        context->forget(oldest);
                        if (oldest)
                            oldest->abort();
                    }
                    context->connections.push_back({socket});
                    QObject::connect(socket, &QLocalSocket::disconnected, socket, [context, socket] {
                        // A `macsim sleep` that went away no longer waits for its answer.
                        context->forget(socket);
                        socket->deleteLater();
                    });
                    QObject::connect(socket, &QLocalSocket::readyRead, socket, [context, socket, receive] {
                        while (socket->bytesAvailable() > 0) {
                            Context::Connection* connection = context->find(socket);
                            if (!connection)
                                return;
                            const QByteArray bytes = socket->read(qint64{64} * 1024);
                            connection->lines.feed(
                                bytes, [&](const QByteArray& line) { receive(socket, line); },
                                [] {
                                    logDropped("a line longer than " + std::to_string(maximumLineLength) + " bytes");
                                });
                        }
                    });
                }
            });
        },
        Qt::BlockingQueuedConnection);
    if (!listening) {
        if (error)
            *error = "cannot listen on " + m_socketPath + ": " + failure.toStdString();
        stop();
        return false;
    }
    return true;
}

void SimEventListener::stop() {
    if (!m_thread)
        return;
    Context* context = m_context.get();
    if (context && m_thread->isRunning()) {
        QMetaObject::invokeMethod(
            &context->anchor,
            [context] {
                // Deleting the children closes the server (removing its socket file) and every connection.
                context->connections.clear();
                context->pendingPower.clear();
                qDeleteAll(context->anchor.children());
                context->server = nullptr;
            },
            Qt::BlockingQueuedConnection);
        m_thread->quit();
        m_thread->wait();
    }
    m_thread.reset();
    std::lock_guard lock(m_contextMutex);
    m_context.reset();
}

void SimEventListener::answerPowerMessage(std::int64_t argument, const QJsonObject& reply) {
    std::lock_guard lock(m_contextMutex);
    if (!m_context)
        return;
    // Held weakly: a call still queued when the listener stops is dropped with the context.
    std::weak_ptr<Context> weak = m_context;
    QMetaObject::invokeMethod(
        &m_context->anchor,
        [weak, argument, reply] {
            auto context = weak.lock();
            if (!context)
                return;
            auto it = context->pendingPower.find(argument);
            if (it == context->pendingPower.end())
                return;
            // Taken out first: writing can find the connection gone and forget it, entry and all.
            QPointer<QLocalSocket> socket = it->second;
            context->pendingPower.erase(it);
            write(socket.data(), reply);
        },
        Qt::QueuedConnection);
}

} // namespace tallowmere
