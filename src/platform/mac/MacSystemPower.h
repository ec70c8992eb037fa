#pragma once

#include "platform/SystemPower.h"

namespace tallowmere {

// The root power domain's messages (IORegisterForSystemPower), delivered by a notification port on the main
// run loop, which Qt's event loop runs on a Mac (unconfirmed from Qt's documentation).
class MacSystemPower : public SystemPower {
public:
    PowerRegistration registerForSystemPower(MessageHandler handler) override;
    void allowPowerChange(std::uint32_t rootPowerPort, std::intptr_t messageArgument) override;
    void destroyNotificationPort(std::uintptr_t notificationPort) override;
    void deregisterForSystemPower(std::uint32_t notifierObject) override;
    void closeService(std::uint32_t rootPowerPort) override;

private:
    // The registration's reference constant points here, so it lives as long as this object.
    MessageHandler m_handler;
};

} // namespace tallowmere
