#pragma once

#include "platform/SystemPower.h"

#include <mutex>
#include <string>
#include <vector>

namespace tallowmere::test {

// Power-management registration as a test drives it: `deliver` plays a message into the registered
// handler; every answer, registration and teardown call is recorded.
class FakeSystemPower : public SystemPower {
public:
    using Allowed = std::pair<std::uint32_t, std::intptr_t>; // root power port, message argument

    // What the next registration returns; all zero makes it fail.
    PowerRegistration nextRegistration{7, 11, 13};

    PowerRegistration registerForSystemPower(MessageHandler handler) override {
        record("register");
        if (nextRegistration.rootPowerPort != 0 && nextRegistration.notificationPort != 0)
            m_handler = std::move(handler);
        return nextRegistration;
    }
    void allowPowerChange(std::uint32_t rootPowerPort, std::intptr_t messageArgument) override {
        std::lock_guard lock(m_mutex);
        m_allowed.emplace_back(rootPowerPort, messageArgument);
    }
    void destroyNotificationPort(std::uintptr_t port) override {
        record("destroyNotificationPort " + std::to_string(port));
        m_handler = nullptr;
    }
    void deregisterForSystemPower(std::uint32_t notifier) override { record("deregister " + std::to_string(notifier)); }
    void closeService(std::uint32_t rootPowerPort) override { record("closeService " + std::to_string(rootPowerPort)); }

    // Delivers a message on the calling (main) thread, as the run-loop source would; registration and teardown
    // happen on that thread too. A copy, as the handler may stop the monitor.
    void deliver(std::uint32_t messageType, std::intptr_t messageArgument) {
        if (MessageHandler handler = m_handler)
            handler(messageType, messageArgument);
    }

    std::vector<Allowed> allowed() const {
        std::lock_guard lock(m_mutex);
        return m_allowed;
    }
    // Registrations and teardown calls in order, e.g. "register", "closeService 7".
    std::vector<std::string> calls() const {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }

private:
    void record(std::string call) {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(std::move(call));
    }

    mutable std::mutex m_mutex;
    MessageHandler m_handler;
    std::vector<Allowed> m_allowed;
    std::vector<std::string> m_calls;
};

} // namespace tallowmere::test
