#pragma once

#include "disks/DiskEngine.h"
#include "disks/Diskutil.h"
#include "disks/TimeMachine.h"
#include "disks/VolumeDiscovery.h"

#include <memory>
#include <optional>
#include <string>

namespace tallowmere {

// What a batch shares with its volumes: the backup status, read once, and the write of the volumes to the remount
// list, which each volume waits for before it goes offline.
struct BatchContext {
    TimeMachine::BackupStatus backup;
    std::shared_ptr<Group> listed;
};

// Takes one volume offline, through the workspace's eject or with diskutil unmount, once a backup to it is stopped,
// and verifies that it went.
class VolumeEjector {
public:
    VolumeEjector(const DiskServices& services, WeakOwner owner, const VolumeDiscovery& discovery);

    // Resolves the device identifier on the calling thread, unless the volume comes with one, and does the rest in
    // the background. `batch`: what the volume's batch knows (none for a volume on its own). The completion runs
    // once, on the main queue.
    void takeOffline(const EligibleVolume& volume, EjectOptions options, std::shared_ptr<const BatchContext> batch,
                     EjectCompletion completion);

private:
    enum class Method { workspaceEject, unmount, forcedUnmount };
    struct Outcome {
        // Seen offline.
        bool offline = false;
        // Offline, or not seen to end going offline: the volume belongs on the remount list.
        std::optional<EjectedDiskInfo> record;
        // Why it was not seen offline.
        std::string why;
    };
    struct WorkspaceEject {
        // The workspace's error; none when it ejected or ran out of time.
        std::optional<std::string> error;
        bool timedOut = false;
    };

    // One line of the log for each volume.
    static void report(const EligibleVolume& volume, Method method, const Outcome& outcome);
    Outcome ejectThroughWorkspace(const EligibleVolume& volume);
    Outcome unmountWithDiskutil(const EligibleVolume& volume, Method method);
    // The workspace's eject within the limit for taking a volume offline.
    WorkspaceEject unmountAndEjectWithinLimit(const std::string& url);
    ProcessResult runUnmount(const std::string& target, const std::string& label, Method method,
                             const std::string& volumeName);
    Diskutil diskutil() const;

    DiskServices m_services;
    WeakOwner m_owner;
    const VolumeDiscovery& m_discovery;
    TimeMachine m_timeMachine;
};

} // namespace tallowmere
