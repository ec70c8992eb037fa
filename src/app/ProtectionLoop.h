#pragma once

#include "analytics/Analytics.h"
#include "app/DiskNotices.h"
#include "disks/ExternalDiskManager.h"
#include "platform/PowerAssertions.h"
#include "platform/PreferenceStore.h"
#include "platform/Runtime.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tallowmere {

// Protects the external volumes across sleep: takes the allowed ones offline when a trigger fires, holding the
// sleep until that is done, and brings them back after the paired wake event; at launch, what an earlier run left
// offline. Main thread.
class ProtectionLoop : public std::enable_shared_from_this<ProtectionLoop> {
public:
    struct Services {
        Runtime& runtime;
        PreferenceStore& preferences;
        PowerAssertions& assertions;
        Analytics& analytics;
        std::shared_ptr<ExternalDiskManager> diskManager;
        std::shared_ptr<DiskNotices> notices;
    };
    using Completion = std::function<void()>;
    // What became of a request to eject, and of one to remount after a wake.
    enum class EjectRequest { started, joinedTheRunningEject, autoEjectOff };
    enum class WakeRequest { scheduled, alreadyPending, autoEjectOff };

    // A sleep waits this long at most for the eject; a longer one goes on by itself while the system sleeps.
    static constexpr Seconds ejectWaitLimit{10.0};
    // From a wake to the first remount look when no positive delay is set (launch seeds it): docks and hubs need
    // that long to power up.
    static constexpr double defaultRemountDelay = 3.0;
    // The longest remount delay, the most the settings offer: a larger stored one (or an infinite one) counts as this.
    static constexpr double longestRemountDelay = 15.0;
    // An empty remount list is looked at again this often, this many more times: an eject that was finishing as
    // the system slept may still fill it.
    static constexpr Seconds remountLookInterval{2.0};
    static constexpr int moreRemountLooks = 5;

    static std::shared_ptr<ProtectionLoop> create(Services services);

    // Ejects the allowed volumes of the enabled kinds unless auto eject is off; `completion` runs once, when the
    // eject is over (or has had its time), or at once when nothing is ejected.
    EjectRequest performAutoEject(Completion completion);
    // Schedules the remount of a wake, unless one is pending or auto eject is off.
    WakeRequest beginWakeRemount();
    // At launch: brings back, once, what an earlier run took offline and did not remount.
    void remountWhatAnEarlierRunLeftOffline();

private:
    explicit ProtectionLoop(Services services);

    void remountAfterWake(int attempt);
    // The wake remount's look at the remount list, unless the remount numbered `remount` gave way to an eject.
    void lookAtTheRemountList(int attempt, std::uint64_t remount);
    // The remount of the wake (or the launch) numbered `remount`: each pass announces what it brought back in
    // `remountedBody` (the names for its %1); the end clears `isHandlingWakeEvent` unless an eject took over meanwhile.
    void remountAndAnnounce(RemountPolicy policy, std::string remountedBody, std::uint64_t remount);
    // `ejected` is nothing when the eject outlasted `ejectWaitLimit`.
    void finishEject(const std::optional<std::vector<std::string>>& ejected, const Completion& completion);

    Services m_services;
    bool m_isHandlingSleepEvent = false;
    // Completions of sleep requests that came while an eject ran: they are answered when it ends.
    std::vector<Completion> m_sleepRequestsWaiting;
    bool m_isHandlingWakeEvent = false;
    // Raised by every eject trigger: a wake remount keeps the value it began with and gives way once it changes.
    std::uint64_t m_wakeRemount = 0;
};

} // namespace tallowmere
