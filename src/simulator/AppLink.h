#pragma once

#include <QByteArray>
#include <QJsonObject>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QDeadlineTimer;

namespace macsim {

// The messages between macsim and the application, one JSON object per line on <folder>/app.sock:
//   {"event":"notification","center":"default|workspace|distributed","name":"…"}   macsim -> app
//   {"event":"power","message":3758096992,"argument":N}                              macsim -> app
//   {"event":"allowPowerChange","argument":N}                                        app -> macsim
//   {"event":"powerNotRegistered","argument":N}                                      app -> macsim
//   {"event":"defaultsChanged"}                                                      macsim -> app
//   {"event":"ping"}  answered by  {"event":"pong","pid":N}
//   {"event":"ui","command":"menu","arguments":[…]}  answered by
//   {"event":"uiResult","status":N,"output":"…","error":"…"}                         `macsim ui …`
namespace AppEvent {
QJsonObject notification(const std::string& center, const std::string& name);
QJsonObject power(std::uint32_t message, std::int64_t argument);
QJsonObject allowPowerChange(std::int64_t argument);
QJsonObject powerNotRegistered(std::int64_t argument);
QJsonObject defaultsChanged();
QJsonObject ping();
QJsonObject pong(std::int64_t pid);
QJsonObject ui(const std::string& command, const std::vector<std::string>& arguments);
// `status` is the exit status of the `macsim ui` command; `output` its standard output, `error` one line for
// standard error.
QJsonObject uiResult(int status, const std::string& output, const std::string& error);

QByteArray encode(const QJsonObject& event);
// One line without its line feed; nothing when it is not a JSON object.
std::optional<QJsonObject> decode(const QByteArray& line);
// A line that came to the application: a message whose event the application serves, with every field it needs
// of its type (numbers whole and in range). Nothing, and why in `problem`, otherwise.
std::optional<QJsonObject> decodeForApplication(const QByteArray& line, std::string* problem);
} // namespace AppEvent

// A blocking client connection to the application's socket (no event loop needed). A plain Unix-domain
// socket rather than QLocalSocket: the stand-in tools run for every diskutil call the application makes, and
// loading Qt Network (with its Kerberos, proxy and compression libraries) was a quarter of each run's start.
class AppLink {
public:
    explicit AppLink(std::string socketPath);
    ~AppLink();

    bool connect(int timeoutMilliseconds = 2000);
    bool send(const QJsonObject& event);
    // The next message, waiting at most the given time; nothing on time-out or a closed connection.
    std::optional<QJsonObject> receive(int timeoutMilliseconds);
    bool isConnected() const;

    // Connects, sends one message and closes; false when no application listens.
    static bool deliver(const std::string& socketPath, const QJsonObject& event);

    AppLink(const AppLink&) = delete;
    AppLink& operator=(const AppLink&) = delete;

private:
    bool waitFor(short events, const QDeadlineTimer& deadline);
    // Reads what has arrived into the buffer; notes when the application closed its end.
    void readAvailable();

    std::string m_socketPath;
    int m_fd = -1;
    bool m_peerClosed = false;
    QByteArray m_buffer;
};

} // namespace macsim
