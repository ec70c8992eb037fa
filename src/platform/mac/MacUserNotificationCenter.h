#pragma once

#include "platform/Runtime.h"
#include "platform/UserNotifications.h"

#include <memory>
#include <string>

namespace tallowmere {

// UNUserNotificationCenter. The service serves application bundles only: run as a bare executable, every
// request fails with UserNotificationService::unavailableError (on a global queue) and the status reads denied.
// A bundle signed ad hoc is reportedly refused notifications too (unconfirmed; a Developer ID signature helps).
class MacUserNotificationCenter : public UserNotificationCenter {
public:
    MacUserNotificationCenter(Runtime& runtime, const std::string& executablePath);
    ~MacUserNotificationCenter() override;

    void setDelegate(std::weak_ptr<UserNotificationCenterDelegate> delegate) override;
    void requestAuthorization(unsigned options, std::function<void(bool granted, ErrorText error)> done) override;
    void getAuthorizationStatus(std::function<void(AuthorizationStatus)> done) override;
    void add(const NotificationRequest& request, std::function<void(ErrorText error)> done) override;

private:
    struct Native;

    Runtime& m_runtime;
    bool m_isServed;
    std::unique_ptr<Native> m_native;
};

} // namespace tallowmere
