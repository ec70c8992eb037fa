#pragma once

#include <QJsonObject>

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
class SimEventListener {
public:
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
