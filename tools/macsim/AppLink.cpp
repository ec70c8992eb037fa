#include "AppLink.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QLocalSocket>

namespace macsim {

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

QByteArray encode(const QJsonObject& event) {
    return QJsonDocument(event).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<QJsonObject> decode(const QByteArray& line) {
    QJsonDocument document = QJsonDocument::fromJson(line);
    if (!document.isObject())
        return std::nullopt;
    return document.object();
}

} // namespace AppEvent

AppLink::AppLink(std::string socketPath)
    : m_socketPath(std::move(socketPath))
    , m_socket(std::make_unique<QLocalSocket>()) {}

AppLink::~AppLink() = default;

bool AppLink::connect(int timeoutMilliseconds) {
    m_socket->connectToServer(QString::fromStdString(m_socketPath));
    return m_socket->waitForConnected(timeoutMilliseconds);
}

bool AppLink::isConnected() const {
    return m_socket->state() == QLocalSocket::ConnectedState;
}

bool AppLink::send(const QJsonObject& event) {
    if (!isConnected())
        return false;
    QByteArray bytes = AppEvent::encode(event);
    if (m_socket->write(bytes) != bytes.size())
        return false;
    while (m_socket->bytesToWrite() > 0) {
        if (!m_socket->waitForBytesWritten(5000))
            return false;
    }
    return true;
}

std::optional<QJsonObject> AppLink::receive(int timeoutMilliseconds) {
    QDeadlineTimer deadline(timeoutMilliseconds);
    for (;;) {
        if (qsizetype end = m_buffer.indexOf('\n'); end >= 0) {
            QByteArray line = m_buffer.left(end);
            m_buffer.remove(0, end + 1);
            if (auto event = AppEvent::decode(line))
                return event;
            continue; // a line that is not a message is skipped
        }
        m_buffer += m_socket->readAll();
        if (m_buffer.contains('\n'))
            continue;
        if (!isConnected() || deadline.hasExpired())
            return std::nullopt;
        m_socket->waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
        m_buffer += m_socket->readAll();
        if (!m_buffer.contains('\n') && !isConnected())
            return std::nullopt;
    }
}

bool AppLink::deliver(const std::string& socketPath, const QJsonObject& event) {
    AppLink link(socketPath);
    return link.connect() && link.send(event);
}

} // namespace macsim
