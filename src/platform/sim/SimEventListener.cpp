#include "platform/sim/SimEventListener.h"

#include "AppLink.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>

#include <map>

namespace tallowmere {

// Lives on the listener thread; everything in it is touched there only.
struct SimEventListener::Context {
    QObject anchor;
    QLocalServer* server = nullptr;
    std::map<std::int64_t, QPointer<QLocalSocket>> pendingPower;
};

namespace {

void write(QLocalSocket* socket, const QJsonObject& message) {
    if (socket && socket->state() == QLocalSocket::ConnectedState) {
        socket->write(macsim::AppEvent::encode(message));
        socket->flush();
    }
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
    QMetaObject::invokeMethod(
        &context->anchor,
        [this, context = context.get(), &listening, &failure, replyLater] {
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
            context->server = server;
            QObject::connect(server, &QLocalServer::newConnection, server, [this, context, server, replyLater] {
                while (QLocalSocket* socket = server->nextPendingConnection()) {
                    QObject::connect(socket, &QLocalSocket::disconnected, socket, [context, socket] {
                        // A `macsim sleep` that went away no longer waits for its answer.
                        std::erase_if(context->pendingPower,
                                      [socket](const auto& entry) { return entry.second == socket; });
                        socket->deleteLater();
                    });
                    QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, context, socket, replyLater] {
                        while (socket->canReadLine()) {
                            auto message = macsim::AppEvent::decode(socket->readLine().trimmed());
                            if (!message)
                                continue;
                            if (message->value("event").toString() == "power")
                                context
                                    ->pendingPower[static_cast<std::int64_t>(message->value("argument").toDouble())] =
                                    socket;
                            if (auto reply = m_handler(*message, replyLater(socket)))
                                write(socket, *reply);
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
                qDeleteAll(context->anchor.children());
                context->server = nullptr;
                context->pendingPower.clear();
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
            write(it->second.data(), reply);
            context->pendingPower.erase(it);
        },
        Qt::QueuedConnection);
}

} // namespace tallowmere
