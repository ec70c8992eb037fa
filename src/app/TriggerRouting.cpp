#include "app/TriggerRouting.h"

#include <utility>

namespace tallowmere {

std::shared_ptr<TriggerRouting> TriggerRouting::create(Services services) {
    return std::shared_ptr<TriggerRouting>(new TriggerRouting(std::move(services)));
}

TriggerRouting::TriggerRouting(Services services)
    : m_services(std::move(services)) {}

TriggerRouting::~TriggerRouting() {
    for (auto [center, id] : m_observers)
        center->removeObserver(id);
}

void TriggerRouting::subscribe() {
    using Trigger = AutoEjectTrigger;
    namespace Name = NotificationName;
    NotificationCenter& workspace = m_services.workspace.notificationCenter();
    NotificationCenter& distributed = m_services.application.distributedCenter();
    observe(m_services.application.defaultCenter(), Name::screenParametersChanged,
            [](TriggerRouting& self) { self.m_services.guardCommands->applyExternalDisplayRule(); });
    observe(workspace, Name::sessionDidResignActive,
            [](TriggerRouting& self) { self.m_services.guardCommands->applyUserSwitchRule(); });
    observe(workspace, Name::willSleep, [](TriggerRouting& self) { self.ejectOn(Trigger::systemSleep); });
    observe(workspace, Name::didWake, &TriggerRouting::systemDidWake);
    observe(workspace, Name::didMount, &TriggerRouting::refreshVolumeList);
    observe(workspace, Name::didUnmount, &TriggerRouting::refreshVolumeList);
    observe(workspace, Name::screensDidSleep, [](TriggerRouting& self) { self.ejectOn(Trigger::displaySleep); });
    observe(workspace, Name::screensDidWake, [](TriggerRouting& self) { self.remountOn(Trigger::displaySleep); });
    observe(distributed, Name::screensaverDidStart, [](TriggerRouting& self) { self.ejectOn(Trigger::screensaver); });
    observe(distributed, Name::screensaverDidStop, [](TriggerRouting& self) { self.remountOn(Trigger::screensaver); });
    observe(distributed, Name::screenIsLocked, [](TriggerRouting& self) { self.ejectOn(Trigger::screenLocked); });
    observe(distributed, Name::screenIsUnlocked, [](TriggerRouting& self) { self.remountOn(Trigger::screenLocked); });
}

void TriggerRouting::observe(NotificationCenter& center, const char* name, Route route) {
    auto id = center.addObserver(name, weakly(shared_from_this(), std::move(route)));
    m_observers.emplace_back(&center, id);
}

// The monitor's sleep holds the sleep until the eject is over, whatever triggers are chosen.
void TriggerRouting::wirePowerMonitor() {
    std::weak_ptr<TriggerRouting> weak = weak_from_this();
    std::weak_ptr<SystemPowerManager> monitor = m_services.powerManager;
    SystemPowerManager& power = *m_services.powerManager;
    power.onCanSystemSleep = [] {};
    power.onWillSystemSleep = [weak, monitor] {
        if (auto self = weak.lock())
            self->m_services.protectionLoop->performAutoEject([monitor] {
                if (auto power = monitor.lock())
                    power->allowPendingSleep();
            });
    };
    power.onSystemDidWake = [weak] {
        if (auto self = weak.lock())
            self->systemDidWake();
    };
    power.start();
}

void TriggerRouting::ejectOn(AutoEjectTrigger trigger) {
    if (loadAutoEjectTriggers(m_services.preferences).contains(trigger))
        m_services.protectionLoop->performAutoEject(nullptr);
}

void TriggerRouting::remountOn(AutoEjectTrigger trigger) {
    if (loadAutoEjectTriggers(m_services.preferences).contains(trigger))
        m_services.protectionLoop->beginWakeRemount();
}

// Either wake path, the workspace's or the monitor's: a timed guard ends by the wall clock the sleep moved on.
void TriggerRouting::systemDidWake() {
    m_services.stayAwakeController->systemDidWake();
    m_services.protectionLoop->beginWakeRemount();
}

// Every kind of volume, whatever the inclusion keys say: the list is what the settings and the menu offer.
void TriggerRouting::refreshVolumeList() {
    m_services.diskManager->refreshVolumeSelections(std::vector<DiskType>(allDiskTypes.begin(), allDiskTypes.end()));
}

} // namespace tallowmere
