#include "platform/network/LocalControlServer.h"

#include "platform/LineFramer.h"

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace tallowmere {

LocalControlServer::LocalControlServer(std::string lockPath, QByteArray overlongAnswer, Handler handler)
    : m_socketPath(socketPathBeside(lockPath))
    , m_overlongAnswer(std::move(overlongAnswer))
    , m_handler(std::move(handler)) {}

LocalControlServer::~LocalControlServer() {
    if (m_server)
        m_server->close(); // removes the socket file
}

std::string LocalControlServer::socketPathBeside(const std::string& lockPath) {
    std::string stem = lockPath;
    if (stem.ends_with(".lock"))
        stem.resize(stem.size() - std::strlen(".lock"));
    return stem + ".control/socket";
}

bool LocalControlServer::prepareFolder(const std::string& socketPath, std::string* error) {
    const std::string folder = socketPath.substr(0, socketPath.rfind('/'));
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        if (error)
            *error = folder + ": " + std::strerror(errno);
        return false;
    }
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::geteuid() ||
        (status.st_mode & 077) != 0) {
        if (error)
            *error = folder + " is not a folder of this user's alone";
        return false;
    }
    return true;
}

bool LocalControlServer::listen(std::string* error) {
    if (!prepareFolder(m_socketPath, error))
        return false;
    const QString path = QString::fromStdString(m_socketPath);
    // Only the lock's holder gets here: a socket left there belongs to a copy that has ended.
    QLocalServer::removeServer(path);
    m_server = new QLocalServer(this);
    m_server->setMaxPendingConnections(maximumClients);
    if (!m_server->listen(path)) {
        if (error)
            *error = m_socketPath + ": " + m_server->errorString().toStdString();
        return false;
    }
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    connect(m_server, &QLocalServer::newConnection, this, &LocalControlServer::accept);
    return true;
}

void LocalControlServer::accept() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (m_clients >= maximumClients) {
            socket->abort();
            continue;
        }
        ++m_clients;
        connect(socket, &QObject::destroyed, this, [this] { --m_clients; });
        serve(socket);
    }
}

void LocalControlServer::serve(QLocalSocket* socket) {
    auto* idle = new QTimer(socket);
    idle->setSingleShot(true);
    connect(idle, &QTimer::timeout, socket, &QLocalSocket::abort);
    idle->start(idleLimit);

    auto framer = std::make_shared<LineFramer>(maximumLineLength);
    auto answered = std::make_shared<bool>(false);
    QPointer<QLocalSocket> client(socket);
    auto finish = [client](const QByteArray& answerLine) {
        if (!client)
            return;
        client->write(answerLine);
        client->flush();
        client->disconnectFromServer();
    };
    connect(socket, &QLocalSocket::readyRead, this, [this, client, idle, framer, answered, finish] {
        const QByteArray bytes = client->readAll();
        if (*answered)
            return; // one request per connection; the rest is ignored
        framer->feed(
            bytes,
            [&](const QByteArray& line) {
                if (*answered)
                    return;
                *answered = true;
                idle->stop(); // a command may take its time; the client waits for the answer
                m_handler(line, finish);
            },
            [&] {
                if (*answered)
                    return;
                *answered = true;
                finish(m_overlongAnswer);
            });
    });
}

std::optional<QByteArray> LocalControlServer::request(const std::string& socketPath, const QByteArray& requestLine,
                                                      std::chrono::milliseconds answerLimit, std::string* error) {
    auto fail = [error](std::string reason) -> std::optional<QByteArray> {
        if (error)
            *error = std::move(reason);
        return std::nullopt;
    };
    const std::string folder = socketPath.substr(0, socketPath.rfind('/'));
    struct stat status {};
    if (::lstat(folder.c_str(), &status) == 0 && (status.st_uid != ::geteuid() || (status.st_mode & 077) != 0))
        return fail(folder + " is not a folder of this user's alone");
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(socketPath));
    if (!socket.waitForConnected(static_cast<int>(idleLimit.count())))
        return fail(socket.errorString().toStdString());
    socket.write(requestLine);
    if (!socket.waitForBytesWritten(static_cast<int>(idleLimit.count())))
        return fail(socket.errorString().toStdString());
    QByteArray answer;
    const auto deadline = std::chrono::steady_clock::now() + answerLimit;
    while (!answer.contains('\n') && answer.size() <= static_cast<qsizetype>(maximumLineLength) * 64) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return fail("no answer in time");
        if (!socket.waitForReadyRead(static_cast<int>(left.count()))) {
            answer += socket.readAll();
            if (answer.contains('\n'))
                break;
            return fail("the connection ended without an answer");
        }
        answer += socket.readAll();
    }
    return answer.left(answer.indexOf('\n'));
}

} // namespace tallowmere
