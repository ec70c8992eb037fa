#include "platform/mac/MacSystemPower.h"

#include <IOKit/IOMessage.h>
#include <IOKit/pwr_mgt/IOPMLib.h>

namespace tallowmere {

static_assert(PowerMessage::canSystemSleep == kIOMessageCanSystemSleep);
static_assert(PowerMessage::systemWillSleep == kIOMessageSystemWillSleep);
static_assert(PowerMessage::systemWillNotSleep == kIOMessageSystemWillNotSleep);
static_assert(PowerMessage::systemHasPoweredOn == kIOMessageSystemHasPoweredOn);

namespace {

void deliverPowerMessage(void* handler, io_service_t, uint32_t messageType, void* messageArgument) {
    auto& deliver = *static_cast<SystemPower::MessageHandler*>(handler);
    if (deliver)
        deliver(messageType, reinterpret_cast<std::intptr_t>(messageArgument));
}

} // namespace

PowerRegistration MacSystemPower::registerForSystemPower(MessageHandler handler) {
    m_handler = std::move(handler);
    IONotificationPortRef port = nullptr;
    io_object_t notifier = IO_OBJECT_NULL;
    const io_connect_t root = IORegisterForSystemPower(&m_handler, &port, deliverPowerMessage, &notifier);
    if (root == IO_OBJECT_NULL) {
        if (port)
            IONotificationPortDestroy(port);
        return {};
    }
    if (port) {
        // The common modes, not the default one alone: a sleep message must also arrive while the status menu is
        // open (its tracking runs the loop in another mode), or it would wait until IOKit stops waiting for the
        // answer. The port owns its source: it is never released here.
        if (CFRunLoopSourceRef source = IONotificationPortGetRunLoopSource(port))
            CFRunLoopAddSource(CFRunLoopGetMain(), source, kCFRunLoopCommonModes);
    }
    return {root, notifier, reinterpret_cast<std::uintptr_t>(port)};
}

// Also from the safety timeout's background thread; IOKit does not say whether the call may come from any
// thread (unconfirmed).
void MacSystemPower::allowPowerChange(std::uint32_t rootPowerPort, std::intptr_t messageArgument) {
    IOAllowPowerChange(rootPowerPort, messageArgument);
}

void MacSystemPower::destroyNotificationPort(std::uintptr_t notificationPort) {
    auto port = reinterpret_cast<IONotificationPortRef>(notificationPort);
    if (!port)
        return;
    if (CFRunLoopSourceRef source = IONotificationPortGetRunLoopSource(port))
        CFRunLoopRemoveSource(CFRunLoopGetMain(), source, kCFRunLoopCommonModes);
    IONotificationPortDestroy(port);
}

void MacSystemPower::deregisterForSystemPower(std::uint32_t notifierObject) {
    io_object_t notifier = notifierObject;
    IODeregisterForSystemPower(&notifier);
}

void MacSystemPower::closeService(std::uint32_t rootPowerPort) {
    IOServiceClose(rootPowerPort);
}

} // namespace tallowmere
