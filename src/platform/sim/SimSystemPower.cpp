#include "platform/sim/SimSystemPower.h"

namespace tallowmere {

SimSystemPower::SimSystemPower(Answer answer)
    : m_answer(std::move(answer)) {}

PowerRegistration SimSystemPower::registerForSystemPower(MessageHandler handler) {
    std::lock_guard lock(m_mutex);
    m_handler = std::move(handler);
    m_portAttached = true;
    return {rootPowerPort, notifierObject, notificationPort};
}

void SimSystemPower::allowPowerChange(std::uint32_t port, std::intptr_t messageArgument) {
    if (port != rootPowerPort || messageArgument == 0)
        return;
    m_answer(messageArgument);
}

void SimSystemPower::destroyNotificationPort(std::uintptr_t port) {
    std::lock_guard lock(m_mutex);
    if (port == notificationPort)
        m_portAttached = false;
}

void SimSystemPower::deregisterForSystemPower(std::uint32_t notifier) {
    std::lock_guard lock(m_mutex);
    if (notifier == notifierObject)
        m_handler = nullptr;
}

void SimSystemPower::closeService(std::uint32_t) {}

bool SimSystemPower::isRegistered() const {
    std::lock_guard lock(m_mutex);
    return m_handler && m_portAttached;
}

void SimSystemPower::deliver(std::uint32_t message, std::intptr_t argument) {
    MessageHandler handler;
    {
        std::lock_guard lock(m_mutex);
        if (m_portAttached)
            handler = m_handler;
    }
    if (handler)
        handler(message, argument);
    else
        m_answer(argument);
}

} // namespace tallowmere
