#pragma once

#include "disks/DiskEngine.h"

#include <optional>
#include <string>

namespace tallowmere {

// A running Time Machine backup to a volume, which is stopped before the volume goes offline. Blocking: background
// threads.
class TimeMachine {
public:
    // `tmutil status` while a backup runs; nothing otherwise.
    using BackupStatus = std::optional<std::string>;

    explicit TimeMachine(const DiskServices& services);

    BackupStatus runningBackup() const;
    // Stops the backup when its status names the volume's path; whether it stopped.
    bool stopBackupTo(const BackupStatus& status, const std::string& volumePath) const;
    bool stopBackupIfRunning(const std::string& volumePath) const { return stopBackupTo(runningBackup(), volumePath); }

private:
    DiskServices m_services;
};

} // namespace tallowmere
