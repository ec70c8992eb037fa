#pragma once

#include "platform/Runtime.h"
#include "platform/UserNotifications.h"

#include <QDBusConnection>

#include <map>
#include <mutex>

namespace tallowmere {

// User notifications through the desktop's notification service (org.freedesktop.Notifications). There is
// no per-application permission on Linux: notifications count as authorised while a service is there to show
// them. A notification posted again under the same identifier replaces the one shown. Completions run on a
// global queue.
class LinuxUserNotificationCenter : public UserNotificationCenter {
public:
    LinuxUserNotificationCenter(QDBusConnection sessionBus, Runtime& runtime);

    void setDelegate(std::weak_ptr<UserNotificationCenterDelegate> delegate) override;
    void requestAuthorization(unsigned options, std::function<void(bool granted, ErrorText error)> done) override;
    void getAuthorizationStatus(std::function<void(AuthorizationStatus)> done) override;
    void add(const NotificationRequest& request, std::function<void(ErrorText error)> done) override;

    // The body as a server that reads markup shows it literally: &, < and > escaped.
    static QString escapeMarkup(const QString& text);

private:
    ErrorText serviceError() const;

    QDBusConnection m_bus;
    Runtime& m_runtime;
    std::mutex m_mutex;
    std::map<std::string, uint> m_shown; // server's id by notification identifier
};

} // namespace tallowmere
