#pragma once

#include "analytics/Analytics.h"
#include "platform/PowerAssertions.h"
#include "platform/PowerSources.h"
#include "platform/PreferenceStore.h"
#include "platform/Runtime.h"
#include "platform/UserNotifications.h"

#include <QObject>

#include <memory>
#include <optional>
#include <string>

namespace tallowmere {

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
    };

    static std::shared_ptr<StayAwakeController> create(Services services);
    ~StayAwakeController() override;

    // Seconds; nothing means indefinitely.
    void activate(std::optional<double> duration);
    void deactivate(bool userInitiated, bool notify);

    bool isActive() const;
    std::optional<WallTime> activeUntil() const;

    // "1 hour 30 minutes"; empty for nothing, zero or negative.
    static std::string formatDuration(std::optional<double> seconds);

signals:
    void isActiveChanged(bool active);
    void activeUntilChanged();

private:
    explicit StayAwakeController(Services services);
    // … implementation details
};

} // namespace tallowmere
