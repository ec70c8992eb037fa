#pragma once

#include <cstdint>
#include <functional>

namespace tallowmere {

// Handles returned by the registration with the root power domain; all zero when it failed.
struct PowerRegistration {
    std::uint32_t rootPowerPort = 0;
    std::uint32_t notifierObject = 0;
    std::uintptr_t notificationPort = 0;
};

// System power messages (IORegisterForSystemPower and friends). Messages are delivered on the main thread.
class SystemPower {
public:
    // (message code, message argument)
    using MessageHandler = std::function<void(std::uint32_t, std::intptr_t)>;

    virtual ~SystemPower() = default;
    // Registers and attaches the notification port to the main loop.
    virtual PowerRegistration registerForSystemPower(MessageHandler handler) = 0;
    virtual void allowPowerChange(std::uint32_t rootPowerPort, std::intptr_t messageArgument) = 0;
    // Detaches the port from the main loop and destroys it.
    virtual void destroyNotificationPort(std::uintptr_t notificationPort) = 0;
    virtual void deregisterForSystemPower(std::uint32_t notifierObject) = 0;
    virtual void closeService(std::uint32_t rootPowerPort) = 0;
};

namespace PowerMessage {
inline constexpr std::uint32_t canSystemSleep = 0xE0000270;     // kIOMessageCanSystemSleep
inline constexpr std::uint32_t systemWillSleep = 0xE0000280;    // kIOMessageSystemWillSleep
inline constexpr std::uint32_t systemWillNotSleep = 0xE0000290; // kIOMessageSystemWillNotSleep
inline constexpr std::uint32_t systemHasPoweredOn = 0xE0000300; // kIOMessageSystemHasPoweredOn
} // namespace PowerMessage

} // namespace tallowmere
