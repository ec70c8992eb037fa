#include "simulator/AppLink.h"

#include "platform/ListingText.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace macsim {
namespace {

// A peer that went away makes a send fail rather than raise SIGPIPE: Linux is told so per send, macOS per socket.
#ifdef MSG_NOSIGNAL
constexpr int noSignalFlag = MSG_NOSIGNAL;
#else
constexpr int noSignalFlag = 0;
#endif

} // namespace

namespace AppEvent {

QJsonObject notification(const std::string& center, const std::string& name) {
    return {
        {"event", "notification"}, {"center", QString::fromStdString(center)}, {"name", QString::fromStdString(name)}};
}
QJsonObject power(std::uint32_t message, std::int64_t argument) {
    return {{"event", "power"}, {"message", static_cast<double>(message)}, {"argument", static_cast<double>(argument)}};
}
QJsonObject allowPowerChange(std::int64_t argument) {
    return {{"event", "allowPowerChange"}, {"argument", static_cast<double>(argument)}};
}
QJsonObject powerNotRegistered(std::int64_t argument) {
    return {{"event", "powerNotRegistered"}, {"argument", static_cast<double>(argument)}};
}
QJsonObject defaultsChanged() {
    return {{"event", "defaultsChanged"}};
}
QJsonObject ping() {
    return {{"event", "ping"}};
}
QJsonObject pong(std::int64_t pid) {
    return {{"event", "pong"}, {"pid", static_cast<double>(pid)}};
}

QJsonObject ui(const std::string& command, const std::vector<std::string>& arguments) {
    QJsonArray list;
    for (const std::string& argument : arguments)
        list.append(QString::fromStdString(argument));
    return {{"event", "ui"}, {"command", QString::fromStdString(command)}, {"arguments", list}};
}
QJsonObject uiResult(int status, const std::string& output, const std::string& error) {
    return {{"event", "uiResult"},
            {"status", status},
            {"output", QString::fromStdString(output)},
            {"error", QString::fromStdString(error)}};
}

QByteArray encode(const QJsonObject& event) {
    return QJsonDocument(event).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<QJsonObject> decode(const QByteArray& line) {
    QJsonDocument document = QJsonDocument::fromJson(line);
    if (!document.isObject())
        return std::nullopt;
    return document.object();
}

namespace {

bool isWholeNumber(const QJsonValue& value, double lowest, double highest) {
    const double number = value.toDouble(std::nan(""));
    return value.isDouble() && number >= lowest && number <= highest && std::trunc(number) == number;
}

// What is wrong with a message for the application, if anything.
std::optional<std::string> problemWith(const QJsonObject& message) {
    const QString event = message.value("event").toString();
    if (event == "ping" || event == "defaultsChanged")
        return std::nullopt;
    if (event == "notification")
        return message.value("center").isString() && message.value("name").isString()
                   ? std::nullopt
                   : std::optional<std::string>("a notification without its center and name");
    if (event == "power") {
        // Arguments travel as JSON numbers: whole ones are exact up to 2^53.
        constexpr double exact = 0x1p53;
        return isWholeNumber(message.value("message"), 0, 0xFFFFFFFF) &&
                       isWholeNumber(message.value("argument"), -exact, exact)
                   ? std::nullopt
                   : std::optional<std::string>("a power message without a whole message code and argument");
    }
    if (event == "ui") {
        const QJsonValue arguments = message.value("arguments");
        bool allText = arguments.isArray();
        for (const auto& argument : arguments.toArray())
            allText = allText && argument.isString();
        return message.value("command").isString() && allText
                   ? std::nullopt
                   : std::optional<std::string>("a ui request without its command and text arguments");
    }
    if (!message.value("event").isString())
        return "a message without an event";
    // Shown cut short and on one line: the name is whatever the sender wrote.
    return "the unknown event \"" + tallowmere::escapeListingField(event.left(64).toStdString()) + "\"";
}

} // namespace

std::optional<QJsonObject> decodeForApplication(const QByteArray& line, std::string* problem) {
    auto message = decode(line);
    std::optional<std::string> wrong = message ? problemWith(*message) : "a line that is not a JSON object";
    if (!wrong)
        return message;
    if (problem)
        *problem = *wrong;
    return std::nullopt;
}

} // namespace AppEvent

AppLink::AppLink(std::string socketPath)
    : m_socketPath(std::move(socketPath)) {}

AppLink::~AppLink() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool AppLink::connect(int timeoutMilliseconds) {
    if (m_fd >= 0)
        return isConnected();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (m_socketPath.empty() || m_socketPath.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, m_socketPath.c_str(), m_socketPath.size() + 1);
    m_fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (m_fd < 0)
        return false;
    // Never blocking, and not inherited by the processes this one starts.
    ::fcntl(m_fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
#ifdef SO_NOSIGPIPE
    const int on = 1;
    ::setsockopt(m_fd, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif

    QDeadlineTimer deadline(timeoutMilliseconds);
    for (;;) {
        if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            return true;
        if (errno == EINTR)
            continue;
        // A listener whose backlog is full refuses for the moment; try again until the time is up.
        if (errno != EAGAIN || deadline.hasExpired()) {
            ::close(m_fd);
            m_fd = -1;
            return false;
        }
        ::poll(nullptr, 0, 5);
    }
}

bool AppLink::isConnected() const {
    return m_fd >= 0 && !m_peerClosed;
}

bool AppLink::waitFor(short events, const QDeadlineTimer& deadline) {
    for (;;) {
        pollfd entry{m_fd, events, 0};
        const int timeout = static_cast<int>(std::max<qint64>(0, deadline.remainingTime()));
        const int ready = ::poll(&entry, 1, deadline.isForever() ? -1 : timeout);
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

bool AppLink::send(const QJsonObject& event) {
    if (!isConnected())
        return false;
    const QByteArray bytes = AppEvent::encode(event);
    QDeadlineTimer deadline(5000);
    for (qsizetype sent = 0; sent < bytes.size();) {
        const ssize_t written =
            ::send(m_fd, bytes.constData() + sent, static_cast<size_t>(bytes.size() - sent), noSignalFlag);
        if (written > 0) {
            sent += written;
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno == EAGAIN && waitFor(POLLOUT, deadline))
            continue;
        return false;
    }
    return true;
}

void AppLink::readAvailable() {
    char chunk[4096];
    for (;;) {
        const ssize_t count = ::read(m_fd, chunk, sizeof chunk);
        if (count > 0) {
            m_buffer.append(chunk, count);
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count == 0 || errno != EAGAIN)
            m_peerClosed = true;
        return;
    }
}

std::optional<QJsonObject> AppLink::receive(int timeoutMilliseconds) {
    if (m_fd < 0)
        return std::nullopt;
    QDeadlineTimer deadline(timeoutMilliseconds);
    for (;;) {
        if (qsizetype end = m_buffer.indexOf('\n'); end >= 0) {
            QByteArray line = m_buffer.left(end);
            m_buffer.remove(0, end + 1);
            if (auto event = AppEvent::decode(line))
                return event;
            continue; // a line that is not a message is skipped
        }
        if (m_peerClosed || !waitFor(POLLIN, deadline))
            return std::nullopt;
        readAvailable();
    }
}

bool AppLink::deliver(const std::string& socketPath, const QJsonObject& event) {
    AppLink link(socketPath);
    return link.connect() && link.send(event);
}

} // namespace macsim
