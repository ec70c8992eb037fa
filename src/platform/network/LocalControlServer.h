#pragma once

#include <QByteArray>
#include <QObject>

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

class QLocalServer;
class QLocalSocket;

namespace tallowmere {

// The running application's control socket: one request line per connection, answered with one line. It lives in a
// folder of the user's own (mode 0700) beside the single-instance lock and is itself owner-only (0600); only the
// lock's holder serves it. What a client sends is cut into lines of at most `maximumLineLength` bytes; a longer one
// is answered with `overlongAnswer`. A client that sends nothing within `idleLimit` is dropped, and no more than
// `maximumClients` are served at once. Main thread.
class LocalControlServer : public QObject {
public:
    using Reply = std::function<void(const QByteArray& answerLine)>;
    // Answers a request line once, at once or later; a reply to a client that has gone is dropped.
    using Handler = std::function<void(const QByteArray& requestLine, Reply reply)>;

    static constexpr std::size_t maximumLineLength = 4096;
    static constexpr int maximumClients = 16;
    static constexpr std::chrono::milliseconds idleLimit{5000};

    LocalControlServer(std::string lockPath, QByteArray overlongAnswer, Handler handler);
    ~LocalControlServer() override;

    bool listen(std::string* error);
    const std::string& socketPath() const { return m_socketPath; }

    // <folder of the lock>/<lock's name without ".lock">.control/socket
    static std::string socketPathBeside(const std::string& lockPath);
    // Makes (or checks) the socket's folder: a directory of this user's, closed to everyone else.
    static bool prepareFolder(const std::string& socketPath, std::string* error);

    // The client's side: sends `requestLine` and waits up to `answerLimit` for the answer line. Nothing, with the
    // reason, when the socket cannot be reached or does not answer.
    static std::optional<QByteArray> request(const std::string& socketPath, const QByteArray& requestLine,
                                             std::chrono::milliseconds answerLimit, std::string* error);

private:
    void accept();
    void serve(QLocalSocket* socket);

    std::string m_socketPath;
    QByteArray m_overlongAnswer;
    Handler m_handler;
    QLocalServer* m_server = nullptr;
    int m_clients = 0;
};

} // namespace tallowmere
