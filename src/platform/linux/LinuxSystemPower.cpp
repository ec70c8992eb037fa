#include "platform/linux/LinuxSystemPower.h"

#include "platform/Log.h"

#include <QDBusError>

namespace tallowmere {

LinuxSystemPower::LinuxSystemPower(QDBusConnection bus, Announcement prepare, Announcement announce)
    : m_bus(std::move(bus))
    , m_prepare(std::move(prepare))
    , m_announce(std::move(announce)) {}

bool LinuxSystemPower::start(std::string* error) {
    bool connected =
        m_bus.connect("org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                      "PrepareForSleep", this, SLOT(prepareForSleep(bool)));
    if (!connected && error)
        *error = "cannot listen to logind: " + m_bus.lastError().message().toStdString();
    return connected;
}

bool LinuxSystemPower::holdSleep() {
    std::string error;
    auto inhibitor =
        LogindInhibitor::take(m_bus, "sleep", "Taking external drives offline before sleep", "delay", &error);
    if (!inhibitor) {
        logLine(LogCategory::platformLinux(), "SystemPower: logind refused the sleep delay: " + error);
        return false;
    }
    std::lock_guard lock(m_mutex);
    m_inhibitor = std::move(*inhibitor);
    return true;
}

PowerRegistration LinuxSystemPower::registerForSystemPower(MessageHandler handler) {
    if (!m_bus.isConnected() || !holdSleep())
        return {};
    std::lock_guard lock(m_mutex);
    m_handler = std::move(handler);
    return {rootPowerPort, notifierObject, notificationPort};
}

void LinuxSystemPower::allowPowerChange(std::uint32_t port, std::intptr_t messageArgument) {
    std::lock_guard lock(m_mutex);
    if (port != rootPowerPort || messageArgument == 0 || messageArgument != m_pendingArgument)
        return;
    m_pendingArgument = 0;
    m_inhibitor.release();
}

void LinuxSystemPower::destroyNotificationPort(std::uintptr_t) {}

void LinuxSystemPower::deregisterForSystemPower(std::uint32_t notifier) {
    if (notifier != notifierObject)
        return;
    std::lock_guard lock(m_mutex);
    m_handler = nullptr;
    m_pendingArgument = 0;
    m_inhibitor.release();
}

void LinuxSystemPower::closeService(std::uint32_t) {}

void LinuxSystemPower::prepareForSleep(bool sleeping) {
    if (m_prepare)
        m_prepare(sleeping);
    MessageHandler handler;
    std::intptr_t argument = 0;
    bool needsInhibitor = false;
    {
        std::lock_guard lock(m_mutex);
        handler = m_handler;
        argument = ++m_lastArgument;
        if (sleeping)
            m_pendingArgument = m_inhibitor.isHeld() ? argument : 0;
        else
            needsInhibitor = handler && !m_inhibitor.isHeld();
    }
    if (needsInhibitor)
        holdSleep();
    if (handler)
        handler(sleeping ? PowerMessage::systemWillSleep : PowerMessage::systemHasPoweredOn, argument);
    if (m_announce)
        m_announce(sleeping);
}

} // namespace tallowmere
