#include "app/TriggerRouting.h"

#include "platform/Log.h"

#include <string>
#include <utility>

namespace tallowmere {
namespace {

// One line per trigger: what came, and what became of it.
void logTrigger(const char* event, const char* outcome) {
    logLine(LogCategory::app(), std::string("Trigger: ") + event + ": " + outcome);
}

const char* outcome(ProtectionLoop::EjectRequest request) {
    switch (request) {
    case ProtectionLoop::EjectRequest::started:
        return "eject started";
    case ProtectionLoop::EjectRequest::joinedTheRunningEject:
        return "joins the running eject";
    case ProtectionLoop::EjectRequest::autoEjectOff:
        return "ignored, auto eject is off";
    }
    return "";
}

const char* outcome(ProtectionLoop::WakeRequest request) {
    switch (request) {
    case ProtectionLoop::WakeRequest::scheduled:
        return "wake remount scheduled";
    case ProtectionLoop::WakeRequest::alreadyPending:
        return "ignored, a wake remount is pending";
    case ProtectionLoop::WakeRequest::autoEjectOff:
        return "ignored, auto eject is off";
    }
    return "";
}

constexpr const char* notChosen = "ignored, not a chosen trigger";

} // namespace

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
    observe(workspace, Name::willSleep,
            [](TriggerRouting& self) { self.ejectOn(Trigger::systemSleep, "system will sleep"); });
    observe(workspace, Name::didWake, [](TriggerRouting& self) { self.systemDidWake("system did wake"); });
    observe(workspace, Name::didMount, &TriggerRouting::refreshVolumeList);
    observe(workspace, Name::didUnmount, &TriggerRouting::refreshVolumeList);
    observe(workspace, Name::screensDidSleep,
            [](TriggerRouting& self) { self.ejectOn(Trigger::displaySleep, "display did sleep"); });
    observe(workspace, Name::screensDidWake,
            [](TriggerRouting& self) { self.remountOn(Trigger::displaySleep, "display did wake"); });
    observe(distributed, Name::screensaverDidStart,
            [](TriggerRouting& self) { self.ejectOn(Trigger::screensaver, "screensaver started"); });
    observe(distributed, Name::screensaverDidStop,
            [](TriggerRouting& self) { self.remountOn(Trigger::screensaver, "screensaver stopped"); });
    observe(distributed, Name::screenIsLocked,
            [](TriggerRouting& self) { self.ejectOn(Trigger::screenLocked, "screen locked"); });
    observe(distributed, Name::screenIsUnlocked,
            [](TriggerRouting& self) { self.remountOn(Trigger::screenLocked, "screen unlocked"); });
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
            self->eject("sleep message", [monitor] {
                if (auto power = monitor.lock())
                    power->allowPendingSleep();
            });
    };
    power.onSystemDidWake = [weak] {
        if (auto self = weak.lock())
            self->systemDidWake("powered on");
    };
    power.start();
}

void TriggerRouting::ejectOn(AutoEjectTrigger trigger, const char* event) {
    if (loadAutoEjectTriggers(m_services.preferences).contains(trigger))
        eject(event, nullptr);
    else
        logTrigger(event, notChosen);
}

void TriggerRouting::remountOn(AutoEjectTrigger trigger, const char* event) {
    if (loadAutoEjectTriggers(m_services.preferences).contains(trigger))
        remount(event);
    else
        logTrigger(event, notChosen);
}

void TriggerRouting::eject(const char* event, ProtectionLoop::Completion completion) {
    logTrigger(event, outcome(m_services.protectionLoop->performAutoEject(std::move(completion))));
}

void TriggerRouting::remount(const char* event) {
    logTrigger(event, outcome(m_services.protectionLoop->beginWakeRemount()));
}

// Either wake path, the workspace's or the monitor's: a timed guard ends by the wall clock the sleep moved on.
void TriggerRouting::systemDidWake(const char* event) {
    m_services.stayAwakeController->systemDidWake();
    remount(event);
}

// Every kind of volume, whatever the inclusion keys say: the list is what the settings and the menu offer.
void TriggerRouting::refreshVolumeList() {
    m_services.diskManager->refreshVolumeSelections(std::vector<DiskType>(allDiskTypes.begin(), allDiskTypes.end()));
}

} // namespace tallowmere
