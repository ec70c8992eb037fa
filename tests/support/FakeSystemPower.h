#pragma once

#include "platform/SystemPower.h"

#include <mutex>
#include <utility>
#include <vector>

namespace tallowmere::test {

// Power-management registration as a test drives it: `deliver` plays a message into the registered
// handler; every answer and teardown call is recorded.
class FakeSystemPower : public SystemPower {
public:
    struct Allowed {
        std::uint32_t rootPowerPort;
        std::intptr_t messageArgument;
        bool operator==(const Allowed&) const = default;
    };

    // What the next registration returns; all zero makes it fail.
    PowerRegistration nextRegistration{7, 11, 13};

    PowerRegistration registerForSystemPower(MessageHandler handler) override {
        std::lock_guard lock(m_mutex);
        ++m_registrations;
        if (nextRegistration.rootPowerPort != 0 && nextRegistration.notificationPort != 0)
            m_handler = std::move(handler);
        return nextRegistration;
    }
    void allowPowerChange(std::uint32_t rootPowerPort, std::intptr_t messageArgument) override {
        std::lock_guard lock(m_mutex);
        m_allowed.push_back({rootPowerPort, messageArgument});
    }
    void destroyNotificationPort(std::uintptr_t notificationPort) override {
        std::lock_guard lock(m_mutex);
        m_destroyedPorts.push_back(notificationPort);
        m_handler = nullptr;
    }
    void deregisterForSystemPower(std::uint32_t notifierObject) override {
        std::lock_guard lock(m_mutex);
        m_deregistered.push_back(notifierObject);
    }
    void closeService(std::uint32_t rootPowerPort) override {
        std::lock_guard lock(m_mutex);
        m_closed.push_back(rootPowerPort);
    }

    // Delivers a message on the calling (main) thread, as the run-loop source would.
    void deliver(std::uint32_t messageType, std::intptr_t messageArgument) {
        MessageHandler handler;
        {
            std::lock_guard lock(m_mutex);
            handler = m_handler;
        }
        if (handler)
            handler(messageType, messageArgument);
    }

    std::vector<Allowed> allowed() const {
        std::lock_guard lock(m_mutex);
        return m_allowed;
    }
    int registrations() const {
        std::lock_guard lock(m_mutex);
        return m_registrations;
    }
    std::vector<std::uintptr_t> destroyedPorts() const {
        std::lock_guard lock(m_mutex);
        return m_destroyedPorts;
    }
    std::vector<std::uint32_t> deregistered() const {
        std::lock_guard lock(m_mutex);
        return m_deregistered;
    }
    std::vector<std::uint32_t> closed() const {
        std::lock_guard lock(m_mutex);
        return m_closed;
    }

private:
    mutable std::mutex m_mutex;
    MessageHandler m_handler;
    int m_registrations = 0;
    std::vector<Allowed> m_allowed;
    std::vector<std::uintptr_t> m_destroyedPorts;
    std::vector<std::uint32_t> m_deregistered;
    std::vector<std::uint32_t> m_closed;
};

} // namespace tallowmere::test
