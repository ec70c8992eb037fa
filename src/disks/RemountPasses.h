#pragma once

#include "disks/DiskEngine.h"
#include "disks/EjectBatch.h"
#include "disks/VolumeRemounter.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tallowmere {

// Brings back the volumes on the published remount list: a pass over all of them at once, then, as the policy allows,
// further passes over those still offline after growing pauses. Each pass takes the list as it is when it starts.
// Main queue.
class RemountPasses {
public:
    RemountPasses(const DiskServices& services, WeakOwner owner, const EjectBatch& batches, PublishedLists& lists);

    // The completion runs once, with the volumes brought back over all passes.
    void remount(RemountPolicy policy, URLsCompletion completion, RemountObserver observer);
    // Whether a remount runs, the pauses between its passes included.
    bool isRunning() const { return m_running > 0; }

private:
    // `pass` counts from 0.
    void runPass(RemountPolicy policy, int pass, std::shared_ptr<const RemountObserver> observer,
                 URLsCompletion completion);
    // As a pass ends that began after `batchesBefore` batches had finished: the volumes it brought back and those
    // given up leave the list, except those a batch has taken offline again since.
    void settle(const std::vector<std::string>& remounted, const std::vector<EjectedDiskInfo>& givenUp,
                std::uint64_t batchesBefore);

    DiskServices m_services;
    WeakOwner m_owner;
    const EjectBatch& m_batches;
    PublishedLists& m_lists;
    VolumeRemounter m_remounter;
    int m_running = 0;
};

} // namespace tallowmere
