#pragma once

#include "disks/DiskTypes.h"
#include "platform/FileSystem.h"

#include <mutex>
#include <string>
#include <vector>

namespace tallowmere {

// The remount list on disk: the volumes the application took offline and has not brought back, and those a batch
// is taking offline right now. It outlives the process, so a run that ends before its remount (killed during a
// sleep's unmount, quit during the remount delay) leaves the next run what to bring back. Every change replaces
// the file atomically. Any thread.
class EjectedDisksFile {
public:
    explicit EjectedDisksFile(FileSystem& fileSystem);

    // In the application's support folder under the user's home.
    std::string path() const;
    // What the file holds, without duplicates; nothing for a missing or unreadable file.
    std::vector<EjectedDiskInfo> load() const;

    // The published records changed; `settled` are volumes of a finished batch that are no longer in flight.
    void setRecords(std::vector<EjectedDiskInfo> records, const std::vector<EjectedDiskInfo>& settled = {});
    // Written before a batch takes these volumes offline.
    void addInFlight(const std::vector<EjectedDiskInfo>& volumes);

private:
    void writeLocked();

    FileSystem& m_fileSystem;
    std::mutex m_mutex;
    std::vector<EjectedDiskInfo> m_records;
    // One entry per batch that is taking the volume offline.
    std::vector<EjectedDiskInfo> m_inFlight;
};

} // namespace tallowmere
