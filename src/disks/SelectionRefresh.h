#pragma once

#include "disks/DiskEngine.h"
#include "disks/VolumeAllowlist.h"
#include "disks/VolumeDiscovery.h"

#include <mutex>
#include <optional>
#include <vector>

namespace tallowmere {

// Keeps the published selections current, and records the volumes it finds as seen. Every mount change asks for a
// refresh, so a batch of unmounts asks for many at once. They run one at a time, and not while a batch takes volumes
// offline (their diskutil runs would compete with it for the processors): requests made meanwhile become a single one
// afterwards, with the latest kinds, which sees the state after the burst. Any thread.
class SelectionRefresh {
public:
    SelectionRefresh(const DiskServices& services, WeakOwner owner, const VolumeDiscovery& discovery,
                     VolumeAllowlist& allowlist, PublishedLists& lists);

    void request(const std::vector<DiskType>& types);
    // Refreshes wait while a batch runs.
    void batchStarted();
    void batchFinished();
    bool isBatchRunning() const;

private:
    void start(std::vector<DiskType> types);
    void finished();

    DiskServices m_services;
    WeakOwner m_owner;
    const VolumeDiscovery& m_discovery;
    VolumeAllowlist& m_allowlist;
    PublishedLists& m_lists;
    mutable std::mutex m_lock;
    bool m_isRefreshing = false;
    int m_batchesRunning = 0;
    std::optional<std::vector<DiskType>> m_pending;
};

} // namespace tallowmere
