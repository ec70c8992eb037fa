#pragma once

#include "app/UserNotifier.h"
#include "disks/ExternalDiskManager.h"
#include "platform/Runtime.h"

#include <memory>
#include <string>

namespace tallowmere {

// What the user hears of volumes the application took offline or brought back: what each remount pass brought
// back and what it gave up, and a disk service that did not answer an eject. Main thread.
class DiskNotices : public std::enable_shared_from_this<DiskNotices> {
public:
    // When a remount's notices are posted.
    enum class Timing {
        atOnce,         // the remount the user asked for
        afterWakeDelay, // the protection loop's: `wakeNoticeDelay` later, shown while frontmost too
    };
    // Just after a wake the notification service is still coming back with the system.
    static constexpr Seconds wakeNoticeDelay{0.5};

    static std::shared_ptr<DiskNotices> create(Runtime& runtime, std::shared_ptr<UserNotifier> notifier);

    // Announces each pass as it ends, not after the retries for a volume that stays away: `remountedBody` with
    // the names of what came back for its %1, and one notice per volume given up.
    ExternalDiskManager::RemountObserver announcingEachPass(std::string remountedBody, Timing timing);
    // Tells the user that diskutil did not answer and the volumes stayed mounted.
    ExternalDiskManager::UnansweredHandler reportDisksNotTakenOffline();

private:
    DiskNotices(Runtime& runtime, std::shared_ptr<UserNotifier> notifier);

    Runtime& m_runtime;
    std::shared_ptr<UserNotifier> m_notifier;
};

} // namespace tallowmere
