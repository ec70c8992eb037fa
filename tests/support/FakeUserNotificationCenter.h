#pragma once

#include "platform/Runtime.h"
#include "platform/UserNotifications.h"

#include <mutex>
#include <vector>

namespace tallowmere::test {

// The user-notification center with a scripted authorisation: set the fields while nothing runs. Completions
// run at once on the calling thread, or, once `deliverOn` names a runtime, on one of its global-queue threads
// like the real service.
class FakeUserNotificationCenter : public UserNotificationCenter {
public:
    void deliverOn(Runtime& runtime) { m_runtime = &runtime; }

    AuthorizationStatus status = AuthorizationStatus::authorized;
    // How the user (or the service) answers the next permission questions.
    bool granted = true;
    ErrorText authorizationError, addError;

    void setDelegate(std::weak_ptr<UserNotificationCenterDelegate>) override {}
    void requestAuthorization(unsigned options, std::function<void(bool, ErrorText)> done) override {
        std::unique_lock lock(m_mutex);
        m_authorizationRequests.push_back(options);
        // The question is asked once; afterwards the answer is remembered as the status.
        if (status == AuthorizationStatus::notDetermined && !authorizationError)
            status = granted ? AuthorizationStatus::authorized : AuthorizationStatus::denied;
        complete(lock, std::bind(std::move(done), granted, authorizationError));
    }
    void getAuthorizationStatus(std::function<void(AuthorizationStatus)> done) override {
        std::unique_lock lock(m_mutex);
        complete(lock, std::bind(std::move(done), status));
    }
    void add(const NotificationRequest& request, std::function<void(ErrorText)> done) override {
        std::unique_lock lock(m_mutex);
        if (!addError)
            m_added.push_back(request);
        complete(lock, [done = std::move(done), error = addError] { done ? done(error) : void(); });
    }

    std::vector<NotificationRequest> added() const {
        std::lock_guard lock(m_mutex);
        return m_added;
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> titles;
        for (const auto& request : added())
            titles.push_back(request.title);
        return titles;
    }
    std::vector<unsigned> authorizationRequests() const {
        std::lock_guard lock(m_mutex);
        return m_authorizationRequests;
    }

private:
    void complete(std::unique_lock<std::mutex>& lock, Task task) {
        lock.unlock();
        m_runtime ? m_runtime->globalAsync(QoS::Default, std::move(task)) : task();
    }

    Runtime* m_runtime = nullptr;
    mutable std::mutex m_mutex;
    std::vector<NotificationRequest> m_added;
    std::vector<unsigned> m_authorizationRequests;
};

} // namespace tallowmere::test
