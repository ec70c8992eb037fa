#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariant>

#include <optional>
#include <string>

namespace tallowmere::dbus {

// Blocking method calls and property reads without introspection (QDBusInterface would introspect the service
// first, which costs a round trip and fails on services that do not answer Introspect).
inline constexpr int defaultTimeoutMs = 5000;

QDBusMessage call(const QDBusConnection& bus, const QString& service, const QString& path, const QString& interface,
                  const QString& method, const QVariantList& arguments = {}, int timeoutMs = defaultTimeoutMs);

// The reply's error as one line, nothing when the call succeeded.
std::optional<std::string> errorOf(const QDBusMessage& reply);

std::optional<QVariant> property(const QDBusConnection& bus, const QString& service, const QString& path,
                                 const QString& interface, const QString& name, int timeoutMs = defaultTimeoutMs);
std::optional<QVariantMap> properties(const QDBusConnection& bus, const QString& service, const QString& path,
                                      const QString& interface, int timeoutMs = defaultTimeoutMs);

// A NUL-terminated byte string property ("ay"), as udisks2 sends paths.
QString fromByteString(const QVariant& value);

} // namespace tallowmere::dbus
