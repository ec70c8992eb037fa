#pragma once

#include "app/GuardCommands.h"
#include "app/ProtectionLoop.h"
#include "base/Preferences.h"
#include "disks/ExternalDiskManager.h"
#include "guard/StayAwakeController.h"
#include "platform/Application.h"
#include "platform/NotificationCenter.h"
#include "platform/PreferenceStore.h"
#include "platform/Workspace.h"
#include "power/SystemPowerManager.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace tallowmere {

// Where each system event goes: to the protection loop when it is one of the chosen triggers or their wake
// events, to the guard's rules, or to the volume list. Owns the twelve subscriptions and the power monitor's
// callbacks. Main thread.
class TriggerRouting : public std::enable_shared_from_this<TriggerRouting> {
public:
    struct Services {
        PreferenceStore& preferences;
        Application& application;
        Workspace& workspace;
        std::shared_ptr<SystemPowerManager> powerManager;
        std::shared_ptr<ProtectionLoop> protectionLoop;
        std::shared_ptr<GuardCommands> guardCommands;
        std::shared_ptr<StayAwakeController> stayAwakeController;
        std::shared_ptr<ExternalDiskManager> diskManager;
    };

    static std::shared_ptr<TriggerRouting> create(Services services);
    ~TriggerRouting();
    TriggerRouting(const TriggerRouting&) = delete;
    TriggerRouting& operator=(const TriggerRouting&) = delete;

    // The twelve observers, in their order.
    void subscribe();
    // The power monitor's three callbacks, then its start.
    void wirePowerMonitor();

private:
    explicit TriggerRouting(Services services);

    using Route = std::function<void(TriggerRouting&)>;
    void observe(NotificationCenter& center, const char* name, Route route);
    // An eject when `trigger` is chosen; the remount of its paired wake event when it is. `event` names what
    // came, for the log.
    void ejectOn(AutoEjectTrigger trigger, const char* event);
    void remountOn(AutoEjectTrigger trigger, const char* event);
    void eject(const char* event, ProtectionLoop::Completion completion);
    void remount(const char* event);
    void systemDidWake(const char* event);
    void refreshVolumeList();

    Services m_services;
    std::vector<std::pair<NotificationCenter*, NotificationCenter::ObserverId>> m_observers;
};

} // namespace tallowmere
