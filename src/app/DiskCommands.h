#pragma once

#include "app/AppCommands.h"
#include "app/DiskNotices.h"
#include "app/UserNotifier.h"
#include "app/WindowCoordinator.h"
#include "disks/ExternalDiskManager.h"
#include "guard/StayAwakeController.h"
#include "platform/Platform.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tallowmere {

// The user's disk commands: eject now (asking for Full Disk Access first where the platform has it and it is missing),
// eject and sleep, sleep, and remount what was taken offline. Main thread.
class DiskCommands : public std::enable_shared_from_this<DiskCommands> {
public:
    struct Services {
        Platform& platform;
        std::shared_ptr<ExternalDiskManager> diskManager;
        std::shared_ptr<StayAwakeController> stayAwakeController;
        std::shared_ptr<UserNotifier> notifier;
        std::shared_ptr<DiskNotices> notices;
        std::shared_ptr<WindowCoordinator> windows;
    };

    static std::shared_ptr<DiskCommands> create(Services services);

    void ejectDisks();
    // The eject of `ejectDisks` without asking for Full Disk Access; `report` runs on the main queue when it ends.
    void ejectWithoutPrompt(DiskCommandReport report = {});
    void ejectAndSleep();
    void sleepMac();
    // `report` runs on the main queue once the remount is over.
    void remountDisks(DiskCommandReport report = {});

private:
    explicit DiskCommands(Services services);

    // What an eject run did (when diskutil did not answer, the user has been told already).
    using EjectOutcome = DiskCommandResult;
    // The eject run shared by `ejectDisks` and `ejectAndSleep`: every eligible volume of the enabled kinds,
    // allowed or not. `finish` runs where the batch completes.
    void runEject(std::function<void(const EjectOutcome&)> finish);
    void sleepStep();

    Services m_services;
};

} // namespace tallowmere
