#pragma once

#include "analytics/Analytics.h"
#include "platform/PlatformFeatures.h"
#include "platform/PowerAssertions.h"
#include "platform/PowerSources.h"
#include "platform/PreferenceStore.h"
#include "platform/Runtime.h"
#include "platform/UserNotifications.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tallowmere {

// Who ends the guard: the user (a command, the switch), or a rule or timer acting on the user's settings. It decides
// the words of the notice.
enum class Initiator { user, rule };
// Whether ending it posts a notice (only when it was running).
enum class Notice { post, none };

// "Quenby Guard": holds a power assertion indefinitely or for a time, ends it by its timer or the battery
// rules, and publishes whether it is active. Main thread only.
class StayAwakeController : public QObject, public std::enable_shared_from_this<StayAwakeController> {
    Q_OBJECT

public:
    struct Services {
        Runtime& runtime;
        PreferenceStore& preferences;
        PowerAssertions& assertions;
        PowerSources& powerSources;
        UserNotificationCenter& notifications;
        Analytics& analytics;
        MachineKind machine = MachineKind::mac; // how its notices name the machine
    };

    static constexpr const char* assertionName = "Tallowmere Quenby Guard Requested";
    static constexpr Seconds batteryCheckInterval{60.0};

    static std::shared_ptr<StayAwakeController> create(Services services);
    // Keeps a held assertion: the application deactivates before it quits.
    ~StayAwakeController() override;

    // Seconds; nothing means indefinitely.
    void activate(std::optional<double> duration);
    void deactivate(Initiator initiator, Notice notice);

    bool isActive() const;
    std::optional<WallTime> activeUntil() const;

    // The computer woke: the end timer stood still while it slept, but a timed session ends at its wall-clock end.
    // One whose end has passed ends now; any other is timed again for what is left.
    void systemDidWake();

    // "1 hour 30 minutes"; empty for nothing, zero or negative.
    static std::string formatDuration(std::optional<double> seconds);

signals:
    void isActiveChanged(bool active);
    void activeUntilChanged();

private:
    explicit StayAwakeController(Services services);

    void timerDidFire(std::uint64_t session);
    // The end timer of the current session; it acts only while that session lasts.
    void armEndTimer(Seconds interval);
    void startBatteryMonitoring();
    void checkBatteryRules();
    void postGuardNotification(const std::string& title, const std::string& body);

    // Published values change only here, from work items queued on the main queue.
    void setIsActive(bool active);
    void setActiveUntil(std::optional<WallTime> date);
    // Queues `body` on the main queue; it runs only while the controller still exists.
    template <class F> void onMainQueue(F body);

    Services m_services;
    std::uint32_t m_assertionID = 0;
    bool m_assertionActive = false;
    std::unique_ptr<Timer> m_timer;
    std::unique_ptr<Timer> m_batteryTimer;
    std::optional<double> m_lastRequestedDuration;
    // Counts ended sessions: a timer that fires for an earlier one finds it changed.
    std::uint64_t m_session = 0;
    std::optional<WallTime> m_sessionEnd;
    bool m_isDeactivating = false;
    bool m_isActive = false;
    std::optional<WallTime> m_activeUntil;
};

} // namespace tallowmere
