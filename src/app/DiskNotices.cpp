#include "app/DiskNotices.h"

#include "disks/DiskTypes.h"
#include "platform/Translation.h"

#include <utility>

namespace tallowmere {

std::shared_ptr<DiskNotices> DiskNotices::create(Runtime& runtime, std::shared_ptr<UserNotifier> notifier) {
    return std::shared_ptr<DiskNotices>(new DiskNotices(runtime, std::move(notifier)));
}

DiskNotices::DiskNotices(Runtime& runtime, std::shared_ptr<UserNotifier> notifier)
    : m_runtime(runtime)
    , m_notifier(std::move(notifier)) {}

ExternalDiskManager::RemountObserver DiskNotices::announcingEachPass(std::string remountedBody, Timing timing) {
    ExternalDiskManager::RemountObserver observer;
    observer.passEnded = [weak = weak_from_this(), remountedBody = std::move(remountedBody),
                          timing](const ExternalDiskManager::RemountPass& pass) {
        auto self = weak.lock();
        if (!self)
            return;
        if (!pass.remounted.empty()) {
            std::string body = filledIn(remountedBody, joinedVolumeNames(pass.remounted));
            if (timing == Timing::afterWakeDelay) {
                self->m_notifier->presentNotificationsInForeground();
                self->m_runtime.mainAfter(wakeNoticeDelay, [self, body] {
                    self->m_notifier->postUserNotification(translated("DiskNotices", "Disks Remounted"), body);
                });
            } else {
                self->m_notifier->postUserNotification(translated("DiskNotices", "Disks Remounted"), body);
            }
        }
        for (const EjectedDiskInfo& disk : pass.givenUp)
            self->m_notifier->postUserNotification(
                translated("DiskNotices", "Disk Not Remounted"),
                filledIn(translated("DiskNotices", "%1 could not be remounted; it may have been unplugged."),
                         disk.volumeName));
    };
    return observer;
}

ExternalDiskManager::UnansweredHandler DiskNotices::reportDisksNotTakenOffline() {
    return [weak = weak_from_this(), &runtime = m_runtime](int) {
        runtime.mainAsync([weak] {
            if (auto self = weak.lock())
                self->m_notifier->postUserNotification(
                    translated("DiskNotices", "Disks Not Taken Offline"),
                    translated("DiskNotices", "The disk service did not answer, so your external disks are still "
                                              "mounted. Eject them before you disconnect them."));
        });
    };
}

} // namespace tallowmere
