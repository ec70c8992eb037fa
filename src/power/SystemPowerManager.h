#pragma once

#include "platform/Runtime.h"
#include "platform/SystemPower.h"

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
    // … implementation details
};

} // namespace tallowmere
