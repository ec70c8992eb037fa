#pragma once

#include "platform/Runtime.h"
#include "platform/SystemPower.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

namespace tallowmere {

// Turns the system's power messages into three callbacks and holds the one pending sleep message until
// the application allows it, or 12 seconds have passed. One per process: the application creates it once
// and hands it to the delegate.
class SystemPowerManager : public std::enable_shared_from_this<SystemPowerManager> {
public:
    using Callback = std::function<void()>;

    // How long a held sleep waits for the application at most.
    static constexpr Seconds sleepSafetyTimeout{12.0};

    static std::shared_ptr<SystemPowerManager> create(SystemPower& systemPower, Runtime& runtime);

    Callback onCanSystemSleep;
    Callback onWillSystemSleep;
    Callback onSystemDidWake;

    void start();
    void stop();
    // Any thread. Answers the held will-sleep message, if any; each message is answered once.
    void allowPendingSleep();
    bool isMonitoring() const;

private:
    SystemPowerManager(SystemPower& systemPower, Runtime& runtime);

    void handleMessage(std::uint32_t messageType, std::intptr_t messageArgument);
    void holdSleepMessage(std::intptr_t messageArgument);
    // Answers the held message; with `onlyWhileSettled`, only if no held message was settled since then.
    void answerPendingSleep(std::optional<std::uint64_t> onlyWhileSettled);

    SystemPower& m_systemPower;
    Runtime& m_runtime;

    // Read by `allowPendingSleep` on the timeout's background thread.
    std::atomic<std::uint32_t> m_rootPowerPort = 0;
    std::uint32_t m_notifierObject = 0;
    std::optional<std::uintptr_t> m_notificationPort;
    bool m_isMonitoring = false;

    std::optional<std::int64_t> m_pendingSleepMessage;
    // How many held messages were answered or dropped; a safety timeout acts only while it is unchanged.
    std::uint64_t m_settledSleeps = 0;
    mutable std::mutex m_pendingSleepLock;

    const std::set<std::uint32_t> m_willSleepMessages;
    const std::set<std::uint32_t> m_canSleepMessages;
    const std::set<std::uint32_t> m_poweredOnMessages;
};

} // namespace tallowmere
