#pragma once

#include "disks/DiskEngine.h"
#include "disks/EjectedDisksFile.h"
#include "disks/SelectionRefresh.h"
#include "disks/TimeMachine.h"
#include "disks/VolumeAllowlist.h"
#include "disks/VolumeDiscovery.h"
#include "disks/VolumeEjector.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tallowmere {

// Takes every eligible volume of the chosen kinds offline at once (when asked, only those the allowlist includes).
// They are on the remount list before any goes; what went is published with the earlier records whose volumes are
// still offline. Knows, for the remount, which batch last recorded each volume.
class EjectBatch {
public:
    struct Parts {
        const VolumeDiscovery& discovery;
        const VolumeAllowlist& allowlist;
        VolumeEjector& ejector;
        SelectionRefresh& refresh;
        EjectedDisksFile& remountList;
        PublishedLists& lists;
    };
    EjectBatch(const DiskServices& services, WeakOwner owner, Parts parts);

    // Blocks while it finds the volumes. When none were found the completion runs at once, on the calling thread;
    // otherwise on the main queue, with the volumes taken offline. `unanswered` is told, before the completion, when
    // the batch had nothing to take offline because diskutil did not answer about some volumes.
    void run(const std::vector<DiskType>& types, EjectOptions options, URLsCompletion completion,
             UnansweredHandler unanswered);

    // Main queue: how many batches have finished.
    std::uint64_t batchesFinished() const { return m_batchesFinished; }
    // Main queue: whether a batch finished after the first `batchesBefore` recorded the volume offline.
    bool recordedSince(std::uint64_t batchesBefore, const std::string& url) const;

private:
    // Main queue: the batch's records join those of earlier batches whose volumes are still offline.
    void finish(std::vector<EjectedDiskInfo> records, const std::vector<EjectedDiskInfo>& inFlight);

    DiskServices m_services;
    WeakOwner m_owner;
    Parts m_parts;
    TimeMachine m_timeMachine;
    std::uint64_t m_batchesFinished = 0;
    // The batch (by its number) that last recorded each volume (by mount URL).
    std::map<std::string, std::uint64_t> m_recordedInBatch;
};

} // namespace tallowmere
