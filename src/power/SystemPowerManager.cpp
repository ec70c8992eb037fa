#include "power/SystemPowerManager.h"

#include "platform/Log.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

namespace tallowmere {
namespace {

std::string secondsText(Seconds seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", seconds.count());
    return text;
}

} // namespace

std::shared_ptr<SystemPowerManager> SystemPowerManager::create(SystemPower& systemPower, Runtime& runtime) {
    return std::shared_ptr<SystemPowerManager>(new SystemPowerManager(systemPower, runtime));
}

SystemPowerManager::SystemPowerManager(SystemPower& systemPower, Runtime& runtime)
    : m_systemPower(systemPower)
    , m_runtime(runtime)
    // The idle-sleep query is held like a real sleep: the eject must finish before either goes ahead.
    , m_willSleepMessages{PowerMessage::systemWillSleep, PowerMessage::canSystemSleep}
    , m_canSleepMessages{PowerMessage::systemWillNotSleep, 0xE0000271}
    // kIOMessageSystemHasPoweredOn is what a wake actually delivers; the delegate's wake handling guards
    // itself against the second entry from the workspace's did-wake notification.
    , m_poweredOnMessages{PowerMessage::systemHasPoweredOn, 0xE0000291, 0xE0000272} {}

void SystemPowerManager::start() {
    if (m_isMonitoring)
        return;
    PowerRegistration registration =
        m_systemPower.registerForSystemPower([weak = weak_from_this()](std::uint32_t type, std::intptr_t argument) {
            if (auto self = weak.lock())
                self->handleMessage(type, argument);
        });
    m_rootPowerPort = registration.rootPowerPort;
    m_notifierObject = registration.notifierObject;
    m_notificationPort = registration.notificationPort;

    if (registration.notificationPort != 0 && registration.rootPowerPort != 0) {
        m_isMonitoring = true;
        return;
    }
    logError(LogCategory::power(), "SystemPowerManager: Failed to register for system power notifications.");
    m_rootPowerPort = 0;
    m_notifierObject = 0;
    m_notificationPort.reset();
}

void SystemPowerManager::stop() {
    if (!m_isMonitoring)
        return;
    if (m_notificationPort) {
        m_systemPower.destroyNotificationPort(*m_notificationPort);
        m_notificationPort.reset();
    }
    if (m_notifierObject != 0) {
        m_systemPower.deregisterForSystemPower(m_notifierObject);
        m_notifierObject = 0;
    }
    if (std::uint32_t port = m_rootPowerPort.exchange(0); port != 0)
        m_systemPower.closeService(port);
    {
        std::lock_guard lock(m_pendingSleepLock);
        m_pendingSleepMessages.clear();
    }
    m_isMonitoring = false;
}

bool SystemPowerManager::isMonitoring() const {
    return m_isMonitoring;
}

void SystemPowerManager::allowPendingSleep() {
    answerHeldSleeps(std::nullopt);
}

void SystemPowerManager::answerHeldSleeps(std::optional<std::uint64_t> hold) {
    std::vector<HeldSleep> answered;
    std::uint32_t port = 0;
    {
        std::lock_guard lock(m_pendingSleepLock);
        auto answers = [&](const HeldSleep& held) { return !hold || held.hold == *hold; };
        std::copy_if(m_pendingSleepMessages.begin(), m_pendingSleepMessages.end(), std::back_inserter(answered),
                     answers);
        std::erase_if(m_pendingSleepMessages, answers);
        port = m_rootPowerPort;
    }
    const MonotonicTime now = m_runtime.now();
    for (const HeldSleep& held : answered) {
        m_systemPower.allowPowerChange(port, static_cast<std::intptr_t>(held.messageArgument));
        const std::string message = " (message " + std::to_string(held.messageArgument) + ")";
        if (hold)
            logLine(LogCategory::power(), "SystemPowerManager: Sleep allowed by the " +
                                              secondsText(sleepSafetyTimeout) + " s timeout" + message);
        else
            logLine(LogCategory::power(),
                    "SystemPowerManager: Sleep allowed after " + secondsText(now - held.heldSince) + " s" + message);
    }
}

void SystemPowerManager::handleMessage(std::uint32_t messageType, std::intptr_t messageArgument) {
    if (messageArgument == 0)
        return;
    // Copies, so that a callback replacing itself does not destroy the function while it runs.
    if (m_canSleepMessages.contains(messageType)) {
        if (Callback callback = onCanSystemSleep)
            callback();
        m_systemPower.allowPowerChange(m_rootPowerPort, messageArgument);
    } else if (m_willSleepMessages.contains(messageType)) {
        holdSleepMessage(messageArgument);
        if (Callback callback = onWillSystemSleep)
            callback(); // it calls allowPendingSleep() once its work is done
        else
            allowPendingSleep();
    } else if (m_poweredOnMessages.contains(messageType)) {
        if (Callback callback = onSystemDidWake)
            callback();
    }
}

void SystemPowerManager::holdSleepMessage(std::intptr_t messageArgument) {
    std::uint64_t hold = 0;
    {
        std::lock_guard lock(m_pendingSleepLock);
        hold = ++m_holds;
        m_pendingSleepMessages.push_back({hold, static_cast<std::int64_t>(messageArgument), m_runtime.now()});
    }
    logLine(LogCategory::power(), "SystemPowerManager: Sleep held (message " + std::to_string(messageArgument) + ")");
    // Never cancelled: it answers its own message if that is still held, and nothing else.
    m_runtime.globalAfter(QoS::Default, sleepSafetyTimeout, [weak = weak_from_this(), hold] {
        if (auto self = weak.lock())
            self->answerHeldSleeps(hold);
    });
}

} // namespace tallowmere
