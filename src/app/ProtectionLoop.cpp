#include "app/ProtectionLoop.h"

#include "base/Preferences.h"
#include "platform/Log.h"
#include "platform/Translation.h"

#include <algorithm>
#include <utility>

namespace tallowmere {
namespace {

constexpr const char* sleepAssertionName = "Tallowmere: Ejecting external disks before sleep";

std::string volumeCount(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " volume" : " volumes");
}

} // namespace

std::shared_ptr<ProtectionLoop> ProtectionLoop::create(Services services) {
    return std::shared_ptr<ProtectionLoop>(new ProtectionLoop(std::move(services)));
}

ProtectionLoop::ProtectionLoop(Services services)
    : m_services(std::move(services)) {}

ProtectionLoop::EjectRequest ProtectionLoop::performAutoEject(Completion completion) {
    PreferenceStore& defaults = m_services.preferences;
    // A remount a wake scheduled gives way: what it brought back now would stay mounted through this event.
    if (defaults.boolValue(PreferenceKey::autoEjectBeforeSleep)) {
        if (m_isHandlingWakeEvent)
            logLine(LogCategory::app(), "Wake remount: gave way to an eject");
        ++m_wakeRemount;
        m_isHandlingWakeEvent = false;
    }
    // A sleep that follows a lock or a display sleep (a lid being closed) must not go ahead while the eject they
    // started still takes the volumes offline.
    if (m_isHandlingSleepEvent) {
        if (completion)
            m_sleepRequestsWaiting.push_back(std::move(completion));
        return EjectRequest::joinedTheRunningEject;
    }
    m_isHandlingSleepEvent = true;
    if (!defaults.boolValue(PreferenceKey::autoEjectBeforeSleep)) {
        m_isHandlingSleepEvent = false;
        if (completion)
            completion();
        return EjectRequest::autoEjectOff;
    }
    std::vector<DiskType> types = enabledDiskTypes(defaults);
    bool force = defaults.boolValue(PreferenceKey::forceUnmountEnabled);
    PowerAssertions& assertions = m_services.assertions;
    std::uint32_t assertionID =
        assertions.create(AssertionType::preventUserIdleSystemSleep, assertionLevelOn, sleepAssertionName).assertionID;

    Runtime& runtime = m_services.runtime;
    runtime.globalAsync(QoS::UserInitiated, [weak = weak_from_this(), types, force, assertionID,
                                             completion = std::move(completion), &runtime, &assertions] {
        auto self = weak.lock();
        if (!self) {
            if (assertionID != 0)
                assertions.release(assertionID);
            if (completion)
                completion();
            return;
        }
        // The batch may finish after the wait below gave up; what it reports then must not reach a semaphore or
        // list that is gone.
        std::shared_ptr<Semaphore> signal = runtime.makeSemaphore(0);
        auto result = std::make_shared<std::vector<std::string>>();
        self->m_services.diskManager->ejectExternalDisks(
            types, {.force = force, .onlyAllowed = true},
            [result, signal](std::vector<std::string> urls) {
                *result = std::move(urls);
                signal->signal();
            },
            self->m_services.notices->reportDisksNotTakenOffline());
        bool finished = signal->wait(ejectWaitLimit);
        if (assertionID != 0)
            assertions.release(assertionID);
        runtime.mainAsync([self, ejected = finished ? std::optional(*result) : std::nullopt, completion] {
            self->finishEject(ejected, completion);
        });
    });
    return EjectRequest::started;
}

void ProtectionLoop::finishEject(const std::optional<std::vector<std::string>>& ejected, const Completion& completion) {
    m_isHandlingSleepEvent = false;
    if (!ejected)
        logLine(LogCategory::app(), "Auto eject: still running after " +
                                        std::to_string(static_cast<int>(ejectWaitLimit.count())) +
                                        " s; the sleep goes ahead");
    else
        logLine(LogCategory::app(), "Auto eject: " + volumeCount(ejected->size()) + " taken offline");
    if (ejected && !ejected->empty())
        m_services.analytics.track(AnalyticsEvent::autoEjectPerformed,
                                   {{"drivesEjected", static_cast<std::int64_t>(ejected->size())}});
    if (completion)
        completion();
    for (const Completion& waiting : std::exchange(m_sleepRequestsWaiting, {}))
        waiting();
}

ProtectionLoop::WakeRequest ProtectionLoop::beginWakeRemount() {
    if (m_isHandlingWakeEvent)
        return WakeRequest::alreadyPending;
    m_isHandlingWakeEvent = true;
    if (!m_services.preferences.boolValue(PreferenceKey::autoEjectBeforeSleep)) {
        m_isHandlingWakeEvent = false;
        return WakeRequest::autoEjectOff;
    }
    remountAfterWake(0);
    return WakeRequest::scheduled;
}

void ProtectionLoop::remountAfterWake(int attempt) {
    double configured = doublePreference(m_services.preferences, PreferenceKey::autoEjectRemountDelaySeconds);
    // A delay nobody could mean (1e308, infinity) would keep the volumes offline for good.
    Seconds delay = attempt == 0
                        ? Seconds(configured > 0 ? std::min(configured, longestRemountDelay) : defaultRemountDelay)
                        : remountLookInterval;
    m_services.runtime.mainAfter(delay, weakly(shared_from_this(), [attempt, remount = m_wakeRemount](auto& self) {
                                     self.lookAtTheRemountList(attempt, remount);
                                 }));
}

void ProtectionLoop::lookAtTheRemountList(int attempt, std::uint64_t remount) {
    if (remount != m_wakeRemount)
        return; // it gave way to an eject
    // What an eject that began before the wake is still taking offline comes back with the rest.
    if (m_isHandlingSleepEvent || m_services.diskManager->isTakingVolumesOffline()) {
        logLine(LogCategory::app(), "Wake remount: waiting for the eject still taking volumes offline");
        m_services.runtime.mainAfter(remountLookInterval,
                                     weakly(shared_from_this(), [attempt, remount](ProtectionLoop& self) {
                                         self.lookAtTheRemountList(attempt, remount);
                                     }));
        return;
    }
    if (const std::size_t count = m_services.diskManager->lastEjectedDisks().size(); count > 0) {
        logLine(LogCategory::app(), "Wake remount: remounting " + volumeCount(count));
        remountAndAnnounce(RemountPolicy::persistent(),
                           translated("ProtectionLoop", "Successfully remounted after wake: %1"), remount);
    } else if (attempt < moreRemountLooks) {
        remountAfterWake(attempt + 1);
    } else {
        logLine(LogCategory::app(), "Wake remount: nothing to remount");
        m_isHandlingWakeEvent = false;
    }
}

void ProtectionLoop::remountAndAnnounce(RemountPolicy policy, std::string remountedBody, std::uint64_t remount) {
    std::weak_ptr<ProtectionLoop> weak = weak_from_this();
    ExternalDiskManager::RemountObserver observer =
        m_services.notices->announcingEachPass(std::move(remountedBody), DiskNotices::Timing::afterWakeDelay);
    observer.isWanted = [weak, remount] {
        auto self = weak.lock();
        return self && self->m_wakeRemount == remount;
    };
    m_services.diskManager->remountLastEjectedDisks(
        policy,
        [weak, remount](std::vector<std::string>) {
            auto self = weak.lock();
            if (self && self->m_wakeRemount == remount)
                self->m_isHandlingWakeEvent = false;
        },
        observer);
}

void ProtectionLoop::remountWhatAnEarlierRunLeftOffline() {
    // The remount list is kept on disk: a run killed during a sleep's unmount or quit during the remount delay
    // left volumes offline that only this run can bring back. One pass, as the wake's; a wake meanwhile waits.
    const std::size_t count = m_services.diskManager->restoreEjectedDisks().size();
    if (count == 0)
        return;
    logLine(LogCategory::app(), "Remount at launch: " + volumeCount(count) + " an earlier run left offline");
    m_isHandlingWakeEvent = true;
    remountAndAnnounce(RemountPolicy::onePass(),
                       translated("ProtectionLoop", "Successfully remounted after restart: %1"), m_wakeRemount);
}

} // namespace tallowmere
