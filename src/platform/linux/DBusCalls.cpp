#include "platform/linux/DBusCalls.h"

#include <QDBusArgument>
#include <QDBusVariant>

namespace tallowmere::dbus {

QDBusMessage call(const QDBusConnection& bus, const QString& service, const QString& path, const QString& interface,
                  const QString& method, const QVariantList& arguments, int timeoutMs) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, timeoutMs);
}

std::optional<std::string> errorOf(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ErrorMessage)
        return std::nullopt;
    QString text = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    return text.toStdString();
}

std::optional<QVariant> property(const QDBusConnection& bus, const QString& service, const QString& path,
                                 const QString& interface, const QString& name, int timeoutMs) {
    QDBusMessage reply =
        call(bus, service, path, "org.freedesktop.DBus.Properties", "Get", {interface, name}, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
}

std::optional<QVariantMap> properties(const QDBusConnection& bus, const QString& service, const QString& path,
                                      const QString& interface, int timeoutMs) {
    QDBusMessage reply = call(bus, service, path, "org.freedesktop.DBus.Properties", "GetAll", {interface}, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    return qdbus_cast<QVariantMap>(reply.arguments().constFirst());
}

QString fromByteString(const QVariant& value) {
    QByteArray bytes = value.toByteArray();
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    return QString::fromUtf8(bytes);
}

} // namespace tallowmere::dbus
