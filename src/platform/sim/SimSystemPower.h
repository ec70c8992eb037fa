#pragma once

#include "platform/SystemPower.h"

#include <functional>
#include <mutex>

namespace tallowmere {

// Power-management registration on the simulated Mac. macsim's power messages arrive through `deliver` on
// the main thread; the acknowledgement goes back to the waiting `macsim sleep` through `answer`.
class SimSystemPower : public SystemPower {
public:
    using Answer = std::function<void(std::intptr_t messageArgument)>;

    explicit SimSystemPower(Answer answer);

    PowerRegistration registerForSystemPower(MessageHandler handler) override;
    void allowPowerChange(std::uint32_t rootPowerPort, std::intptr_t messageArgument) override;
    void destroyNotificationPort(std::uintptr_t notificationPort) override;
    void deregisterForSystemPower(std::uint32_t notifierObject) override;
    void closeService(std::uint32_t rootPowerPort) override;

    // Any thread.
    bool isRegistered() const;
    // Main thread. A message nobody is registered for is allowed at once.
    void deliver(std::uint32_t message, std::intptr_t argument);

    static constexpr std::uint32_t rootPowerPort = 0x2303;
    static constexpr std::uint32_t notifierObject = 0x1b07;
    static constexpr std::uintptr_t notificationPort = 0x6000;

private:
    Answer m_answer;
    mutable std::mutex m_mutex;
    MessageHandler m_handler;
    bool m_portAttached = false;
};

} // namespace tallowmere
