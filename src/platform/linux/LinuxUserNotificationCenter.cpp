#include "platform/linux/LinuxUserNotificationCenter.h"

#include "platform/linux/DBusCalls.h"

namespace tallowmere {
namespace {

const QString service = "org.freedesktop.Notifications";
const QString path = "/org/freedesktop/Notifications";

} // namespace

LinuxUserNotificationCenter::LinuxUserNotificationCenter(QDBusConnection sessionBus, Runtime& runtime)
    : m_bus(std::move(sessionBus))
    , m_runtime(runtime) {}

// Nobody asks how to present a notification while the application is frontmost: a menu-bar program is not.
void LinuxUserNotificationCenter::setDelegate(std::weak_ptr<UserNotificationCenterDelegate>) {}

UserNotificationCenter::ErrorText LinuxUserNotificationCenter::serviceError() const {
    QDBusMessage reply = dbus::call(m_bus, service, path, service, "GetServerInformation");
    if (auto error = dbus::errorOf(reply))
        return "The notification service is unavailable: " + *error;
    return std::nullopt;
}

void LinuxUserNotificationCenter::requestAuthorization(unsigned, std::function<void(bool, ErrorText)> done) {
    m_runtime.globalAsync(QoS::Default, [this, done = std::move(done)] {
        ErrorText error = serviceError();
        done(!error, error);
    });
}

void LinuxUserNotificationCenter::getAuthorizationStatus(std::function<void(AuthorizationStatus)> done) {
    m_runtime.globalAsync(QoS::Default, [this, done = std::move(done)] {
        done(serviceError() ? AuthorizationStatus::denied : AuthorizationStatus::authorized);
    });
}

QString LinuxUserNotificationCenter::escapeMarkup(const QString& text) {
    return text.toHtmlEscaped();
}

void LinuxUserNotificationCenter::add(const NotificationRequest& request, std::function<void(ErrorText)> done) {
    m_runtime.globalAsync(QoS::Default, [this, request, done = std::move(done)] {
        uint replaces = 0;
        {
            std::lock_guard lock(m_mutex);
            if (auto it = m_shown.find(request.identifier); it != m_shown.end())
                replaces = it->second;
        }
        // Servers that read markup would swallow a volume named "<Backup>" or garble "R&D".
        QDBusMessage capabilities = dbus::call(m_bus, service, path, service, "GetCapabilities");
        const bool markup = !dbus::errorOf(capabilities) && !capabilities.arguments().isEmpty() &&
                            capabilities.arguments().constFirst().toStringList().contains("body-markup");
        QString body = QString::fromStdString(request.body);
        QVariantMap hints{{"desktop-entry", "com.tallowmere.app"}};
        if (!request.defaultSound)
            hints.insert("suppress-sound", true);
        QDBusMessage reply = dbus::call(m_bus, service, path, service, "Notify",
                                        {"Tallowmere", replaces, "tallowmere", QString::fromStdString(request.title),
                                         markup ? escapeMarkup(body) : body, QStringList(), hints, -1});
        if (auto error = dbus::errorOf(reply)) {
            if (done)
                done("The notification could not be delivered: " + *error);
            return;
        }
        if (!reply.arguments().isEmpty()) {
            std::lock_guard lock(m_mutex);
            m_shown[request.identifier] = reply.arguments().constFirst().toUInt();
        }
        if (done)
            done(std::nullopt);
    });
}

} // namespace tallowmere
