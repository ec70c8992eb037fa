#include "platform/sim/SimUserNotificationCenter.h"

namespace tallowmere {
namespace {

bool allowsPosting(int status) {
    return status == static_cast<int>(AuthorizationStatus::authorized) ||
           status == static_cast<int>(AuthorizationStatus::provisional) ||
           status == static_cast<int>(AuthorizationStatus::ephemeral);
}

} // namespace

SimUserNotificationCenter::SimUserNotificationCenter(macsim::Machine machine, Runtime& runtime)
    : m_machine(std::move(machine))
    , m_runtime(runtime) {}

void SimUserNotificationCenter::setDelegate(std::weak_ptr<UserNotificationCenterDelegate> delegate) {
    std::lock_guard lock(m_mutex);
    m_delegate = std::move(delegate);
}

void SimUserNotificationCenter::requestAuthorization(unsigned,
                                                     std::function<void(bool granted, ErrorText error)> done) {
    m_runtime.globalAsync(QoS::Default, [machine = m_machine, done = std::move(done)]() mutable {
        int status = 0;
        std::string error;
        bool recorded = machine.update(
            [&](macsim::MachineState& state) {
                if (state.notificationAuthorization == static_cast<int>(AuthorizationStatus::notDetermined))
                    state.notificationAuthorization = static_cast<int>(
                        state.userAllowsNotifications ? AuthorizationStatus::authorized : AuthorizationStatus::denied);
                status = state.notificationAuthorization;
                return true;
            },
            &error);
        if (!recorded) {
            done(false, "The notification service is unavailable: " + error);
            return;
        }
        done(allowsPosting(status), std::nullopt);
    });
}

void SimUserNotificationCenter::getAuthorizationStatus(std::function<void(AuthorizationStatus)> done) {
    m_runtime.globalAsync(QoS::Default, [machine = m_machine, done = std::move(done)] {
        done(static_cast<AuthorizationStatus>(machine.state().notificationAuthorization));
    });
}

void SimUserNotificationCenter::add(const NotificationRequest& request, std::function<void(ErrorText error)> done) {
    std::weak_ptr<UserNotificationCenterDelegate> delegate;
    {
        std::lock_guard lock(m_mutex);
        delegate = m_delegate;
    }
    // Recorded at once, so notifications are listed in the order they were added; the answer and the
    // presentation come later, as the service's would.
    std::string error;
    bool recorded =
        m_machine.recordNotification({request.identifier, request.title, request.body, std::nullopt}, &error);
    Runtime& runtime = m_runtime;
    m_runtime.globalAsync(QoS::Default, [&runtime, machine = m_machine, request, delegate, recorded, error,
                                         done = std::move(done)]() mutable {
        if (!recorded) {
            if (done)
                done("The notification could not be delivered: " + error);
            return;
        }
        if (!delegate.expired()) {
            // The delegate decides how a notification is presented while the application is frontmost.
            runtime.mainAsync([machine, request, delegate]() mutable {
                auto strong = delegate.lock();
                if (!strong)
                    return;
                machine.recordPresentation(request.identifier, strong->willPresentNotification(request));
            });
        }
        if (done)
            done(std::nullopt);
    });
}

} // namespace tallowmere
