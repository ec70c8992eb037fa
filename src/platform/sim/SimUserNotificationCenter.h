#pragma once

#include "platform/Runtime.h"
#include "platform/UserNotifications.h"

#include "simulator/Machine.h"

#include <mutex>

namespace tallowmere {

// The user-notification center of the simulated Mac. Authorisation lives in the machine; a request while
// it is not determined is answered by the simulated user (`macsim notifications answer`). Every added
// notification is recorded, and the delegate is asked how to present it, as for a frontmost application.
// Completions arrive on a global queue, as the service's own threads would deliver them.
class SimUserNotificationCenter : public UserNotificationCenter {
public:
    SimUserNotificationCenter(macsim::Machine machine, Runtime& runtime);

    void setDelegate(std::weak_ptr<UserNotificationCenterDelegate> delegate) override;
    void requestAuthorization(unsigned options, std::function<void(bool granted, ErrorText error)> done) override;
    void getAuthorizationStatus(std::function<void(AuthorizationStatus)> done) override;
    void add(const NotificationRequest& request, std::function<void(ErrorText error)> done) override;

private:
    macsim::Machine m_machine;
    Runtime& m_runtime;
    std::mutex m_mutex;
    std::weak_ptr<UserNotificationCenterDelegate> m_delegate;
};

} // namespace tallowmere
