#include "platform/linux/LogindInhibitor.h"

#include "platform/linux/DBusCalls.h"

#include <QDBusUnixFileDescriptor>

#include <fcntl.h>
#include <unistd.h>

namespace tallowmere {

LogindInhibitor& LogindInhibitor::operator=(LogindInhibitor&& other) noexcept {
    if (this != &other) {
        release();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

std::optional<LogindInhibitor> LogindInhibitor::take(const QDBusConnection& bus, const QString& what,
                                                     const QString& why, const QString& mode, std::string* error) {
    QDBusMessage reply = dbus::call(bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                                    "org.freedesktop.login1.Manager", "Inhibit", {what, "Tallowmere", why, mode});
    if (auto failure = dbus::errorOf(reply)) {
        if (error)
            *error = *failure;
        return std::nullopt;
    }
    QDBusUnixFileDescriptor descriptor = reply.arguments().isEmpty()
                                             ? QDBusUnixFileDescriptor()
                                             : reply.arguments().constFirst().value<QDBusUnixFileDescriptor>();
    if (!descriptor.isValid()) {
        if (error)
            *error = "logind answered without a descriptor";
        return std::nullopt;
    }
    // The reply's descriptor closes with the message; the lock lives on in a copy of our own, which no child
    // process inherits (a child outliving us would hold the sleep back).
    int fd = ::fcntl(descriptor.fileDescriptor(), F_DUPFD_CLOEXEC, 3);
    if (fd < 0) {
        if (error)
            *error = "could not keep logind's descriptor";
        return std::nullopt;
    }
    return LogindInhibitor(fd);
}

void LogindInhibitor::release() {
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
}

} // namespace tallowmere
