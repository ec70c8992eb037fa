#pragma once

#include <QJsonObject>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

class QThread;
class QObject;

namespace tallowmere {

// Serves the application's socket of the simulated Mac on a thread of its own: reads one JSON message per
// line from macsim and the stand-in tools and hands each to the handler (on the listener thread). A reply
// the handler returns goes back on the same connection; so does one it sends later, from any thread, through
// `Reply`. A power message can also be answered later by its argument, on the connection that delivered it.
//
// Whatever arrives, it keeps serving: a line that is not a message the application serves (see
// `AppEvent::decodeForApplication`) or is longer than `maximumLineLength` is dropped with one log line; a
// client that does not read its answers is cut off; past `maximumConnections` the oldest connection is closed.
// The socket is the user's alone (0600).
class SimEventListener {
public:
    static constexpr std::size_t maximumLineLength = std::size_t{1024} * 1024;
    static constexpr std::size_t maximumPendingReplies = std::size_t{1024} * 1024;
    static constexpr std::size_t maximumConnections = 128;

    using Reply = std::function<void(const QJsonObject& reply)>;
    using Handler = std::function<std::optional<QJsonObject>(const QJsonObject& message, const Reply& later)>;

    SimEventListener(std::string socketPath, Handler handler);
    ~SimEventListener();
    SimEventListener(const SimEventListener&) = delete;
    SimEventListener& operator=(const SimEventListener&) = delete;

    bool start(std::string* error = nullptr);
    void stop();
    // Any thread.
    void answerPowerMessage(std::int64_t argument, const QJsonObject& reply);

private:
    struct Context;
    std::string m_socketPath;
    Handler m_handler;
    std::unique_ptr<QThread> m_thread;
    std::mutex m_contextMutex;
    std::shared_ptr<Context> m_context;
};

} // namespace tallowmere
