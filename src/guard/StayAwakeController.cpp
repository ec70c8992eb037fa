#include "guard/StayAwakeController.h"

#include "base/MachineTexts.h"
#include "base/Preferences.h"
#include "guard/ActivationDuration.h"
#include "guard/BatteryRules.h"
#include "platform/Translation.h"

#include <QUuid>

#include <vector>

namespace tallowmere {

std::shared_ptr<StayAwakeController> StayAwakeController::create(Services services) {
    return std::shared_ptr<StayAwakeController>(new StayAwakeController(services));
}

StayAwakeController::StayAwakeController(Services services)
    : m_services(services) {}

StayAwakeController::~StayAwakeController() = default;

template <class F> void StayAwakeController::onMainQueue(F body) {
    m_services.runtime.mainAsync([weak = weak_from_this(), body = std::move(body)]() mutable {
        if (auto self = weak.lock())
            body(*self);
    });
}

void StayAwakeController::activate(std::optional<double> duration) {
    m_lastRequestedDuration = duration;
    deactivate(Initiator::rule, Notice::none);

    m_services.analytics.track(AnalyticsEvent::toggleKeepAwake,
                               {{"mode", duration ? "timed" : "indefinite"}, {"action", "activate"}});

    const char* type = m_services.preferences.boolValue(PreferenceKey::allowDisplaySleep)
                           ? AssertionType::preventUserIdleSystemSleep
                           : AssertionType::preventUserIdleDisplaySleep;
    m_assertionID = 0;
    AssertionResult result = m_services.assertions.create(type, assertionLevelOn, assertionName);
    m_assertionID = result.assertionID;
    m_assertionActive = result.returnCode == 0 && m_assertionID != 0;

    onMainQueue([](StayAwakeController& self) { self.setIsActive(self.m_assertionActive); });

    if (m_assertionActive) {
        const std::string forHowLong = formatDuration(m_lastRequestedDuration);
        postGuardNotification(translated("StayAwakeController", "Quenby Guard Enabled"),
                              forHowLong.empty()
                                  ? machineText(MachineText::guardEnabled, m_services.machine)
                                  : machineText(MachineText::guardEnabledFor, m_services.machine, forHowLong));
    }

    if (!duration) {
        onMainQueue([](StayAwakeController& self) { self.setActiveUntil(std::nullopt); });
    } else {
        Seconds interval(boundedDuration(*duration));
        WallTime until = m_services.runtime.wallNow() + std::chrono::duration_cast<WallTime::duration>(interval);
        // Queued after the reset of the deactivation above, so the end date survives it.
        onMainQueue([until](StayAwakeController& self) { self.setActiveUntil(until); });
        m_sessionEnd = until;
        armEndTimer(interval);
    }

    if (m_assertionActive)
        startBatteryMonitoring();
}

void StayAwakeController::deactivate(Initiator initiator, Notice notice) {
    if (m_isDeactivating)
        return;
    m_isDeactivating = true;
    bool wasActive = m_assertionActive;

    if (m_timer) {
        m_timer->invalidate();
        m_timer.reset();
    }
    if (m_batteryTimer) {
        m_batteryTimer->invalidate();
        m_batteryTimer.reset();
    }
    ++m_session;
    m_sessionEnd.reset();

    if (m_assertionActive && m_assertionID != 0)
        m_services.assertions.release(m_assertionID);
    m_assertionActive = false;
    m_assertionID = 0;

    onMainQueue([](StayAwakeController& self) {
        self.setIsActive(false);
        self.setActiveUntil(std::nullopt);
    });

    // The facade hands the event to a utility queue itself, behind what was tracked before: a hop of its own
    // here would let a re-activation's event overtake it, and the one of quitting miss the wait at quit.
    if (wasActive)
        m_services.analytics.track(AnalyticsEvent::toggleKeepAwake, {{"action", "deactivate"}});

    // Nothing is reported when nothing was running.
    if (notice == Notice::post && wasActive) {
        const bool byUser = initiator == Initiator::user;
        std::string title = byUser ? translated("StayAwakeController", "Quenby Guard Turned Off")
                                   : translated("StayAwakeController", "Quenby Guard Stopped");
        std::string body =
            byUser ? machineText(MachineText::guardTurnedOff, m_services.machine)
                   : translated("StayAwakeController", "Tallowmere stopped Quenby Guard based on your settings.");
        onMainQueue([title, body](StayAwakeController& self) { self.postGuardNotification(title, body); });
    }

    m_isDeactivating = false;
}

bool StayAwakeController::isActive() const {
    return m_isActive;
}

std::optional<WallTime> StayAwakeController::activeUntil() const {
    return m_activeUntil;
}

void StayAwakeController::armEndTimer(Seconds interval) {
    Runtime& runtime = m_services.runtime;
    m_timer = runtime.scheduleTimer(interval, false, [&runtime, weak = weak_from_this(), session = m_session] {
        if (weak.expired())
            return;
        runtime.mainAsync([weak, session] {
            if (auto self = weak.lock())
                self->timerDidFire(session);
        });
    });
}

void StayAwakeController::systemDidWake() {
    if (!m_sessionEnd)
        return;
    const WallTime now = m_services.runtime.wallNow();
    if (now >= *m_sessionEnd) {
        timerDidFire(m_session);
        return;
    }
    if (m_timer)
        m_timer->invalidate();
    armEndTimer(std::chrono::duration_cast<Seconds>(*m_sessionEnd - now));
}

void StayAwakeController::timerDidFire(std::uint64_t session) {
    // Its work was queued before a newer request ended that session.
    if (session != m_session)
        return;
    std::optional<double> duration = m_lastRequestedDuration;
    deactivate(Initiator::rule, Notice::none);
    // The menu's duration choice goes back to "Off".
    m_services.preferences.setInteger(PreferenceKey::activationDurationIndex, 0);
    std::string forHowLong = formatDuration(duration);
    postGuardNotification(
        translated("StayAwakeController", "Quenby Guard Session Finished"),
        forHowLong.empty()
            ? translated("StayAwakeController", "Tallowmere has finished its Quenby Guard session.")
            : filledIn(translated("StayAwakeController", "Tallowmere finished Quenby Guard for %1."), forHowLong));
}

void StayAwakeController::startBatteryMonitoring() {
    if (m_batteryTimer)
        m_batteryTimer->invalidate();
    Runtime& runtime = m_services.runtime;
    // The first check comes a full interval after activation.
    m_batteryTimer = runtime.scheduleTimer(batteryCheckInterval, true, [&runtime, weak = weak_from_this()] {
        if (weak.expired())
            return;
        runtime.mainAsync([weak] {
            if (auto self = weak.lock())
                self->checkBatteryRules();
        });
    });
}

void StayAwakeController::checkBatteryRules() {
    if (!m_assertionActive)
        return;
    double batteryCap = doublePreference(m_services.preferences, PreferenceKey::batteryCap);
    bool disableOnLowPower = m_services.preferences.boolValue(PreferenceKey::disableOnLowPower);
    if (disableOnLowPower && m_services.powerSources.isLowPowerModeEnabled()) {
        deactivate(Initiator::rule, Notice::post);
        return;
    }
    if (batteryCap > 0) {
        // At or below the threshold, not only below it.
        if (auto percentage = batteryPercentage(m_services.powerSources); percentage && *percentage <= batteryCap)
            deactivate(Initiator::rule, Notice::post);
    }
}

void StayAwakeController::postGuardNotification(const std::string& title, const std::string& body) {
    NotificationRequest request{QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString(), title, body,
                                true};
    m_services.notifications.add(request, [](UserNotificationCenter::ErrorText) {});
}

void StayAwakeController::setIsActive(bool active) {
    if (m_isActive == active)
        return;
    m_isActive = active;
    emit isActiveChanged(active);
}

void StayAwakeController::setActiveUntil(std::optional<WallTime> date) {
    if (m_activeUntil == date)
        return;
    m_activeUntil = date;
    emit activeUntilChanged();
}

std::string StayAwakeController::formatDuration(std::optional<double> seconds) {
    if (!seconds || !(*seconds > 0))
        return {};
    return durationWords(*seconds, false);
}

} // namespace tallowmere
