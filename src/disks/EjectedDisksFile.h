#pragma once

#include "disks/DiskTypes.h"
#include "platform/FileSystem.h"
#include "platform/Runtime.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tallowmere {

// The remount list on disk: the volumes the application took offline and has not brought back, and those a batch
// is taking offline right now. It outlives the process, so a run that ends before its remount (killed during a
// sleep's unmount, quit during the remount delay) leaves the next run what to bring back. Changes are written in
// the background, in order, each replacing the file atomically. Any thread.
class EjectedDisksFile {
public:
    EjectedDisksFile(FileSystem& fileSystem, Runtime& runtime);

    // In the application's support folder under the user's home.
    std::string path() const;
    // What the file holds, without duplicates; nothing for a missing or unreadable file.
    std::vector<EjectedDiskInfo> load() const;

    // The published records changed; `settled` are volumes of a finished batch that are no longer in flight.
    void setRecords(std::vector<EjectedDiskInfo> records, const std::vector<EjectedDiskInfo>& settled = {});
    // Volumes a batch is about to take offline; the group empties once they are on disk.
    std::shared_ptr<Group> addInFlight(const std::vector<EjectedDiskInfo>& volumes);

private:
    struct State {
        std::mutex mutex;
        std::vector<EjectedDiskInfo> records;
        // One entry per batch that is taking the volume offline.
        std::vector<EjectedDiskInfo> inFlight;
        std::uint64_t changes = 0;
        std::uint64_t written = 0;
    };
    // Writes the state as it is when the write runs; a write that finds a newer one done already does nothing.
    std::shared_ptr<Group> scheduleWrite();

    FileSystem& m_fileSystem;
    Runtime& m_runtime;
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

} // namespace tallowmere
