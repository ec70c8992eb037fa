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
#include <vector>

namespace tallowmere {

// Turns the system's power messages into three callbacks and holds each will-sleep message until the application
// allows it, or 12 seconds after it arrived. One per process: the application creates it once and hands it to the
// delegate.
class SystemPowerManager : public std::enable_shared_from_this<SystemPowerManager> {
public:
    using Callback = std::function<void()>;

    // A held sleep waits this long at most: an application that never answers must not keep the Mac awake.
    static constexpr Seconds sleepSafetyTimeout{12.0};

    static std::shared_ptr<SystemPowerManager> create(SystemPower& systemPower, Runtime& runtime);

    Callback onCanSystemSleep;
    Callback onWillSystemSleep;
    Callback onSystemDidWake;

    void start();
    void stop();
    // Any thread. Answers every held will-sleep message, in the order they came; each message is answered once.
    void allowPendingSleep();
    bool isMonitoring() const;

private:
    SystemPowerManager(SystemPower& systemPower, Runtime& runtime);

    void handleMessage(std::uint32_t messageType, std::intptr_t messageArgument);
    void holdSleepMessage(std::intptr_t messageArgument);
    // Answers the held messages: every one, or only the one held under `hold`.
    void answerHeldSleeps(std::optional<std::uint64_t> hold);

    SystemPower& m_systemPower;
    Runtime& m_runtime;

    // Read by `allowPendingSleep` on the timeout's background thread.
    std::atomic<std::uint32_t> m_rootPowerPort = 0;
    std::uint32_t m_notifierObject = 0;
    std::optional<std::uintptr_t> m_notificationPort;
    bool m_isMonitoring = false;

    // A second will-sleep message can come while the first is held (a sleep announced during an idle-sleep
    // query, or twice in a row): each gets its answer. Numbered as they are held, for their own safety timeout.
    struct HeldSleep {
        std::uint64_t hold = 0;
        std::int64_t messageArgument = 0;
        MonotonicTime heldSince;
    };
    std::vector<HeldSleep> m_pendingSleepMessages;
    std::uint64_t m_holds = 0;
    mutable std::mutex m_pendingSleepLock;

    const std::set<std::uint32_t> m_willSleepMessages;
    const std::set<std::uint32_t> m_canSleepMessages;
    const std::set<std::uint32_t> m_poweredOnMessages;
};

} // namespace tallowmere
