#include "disks/RemountPasses.h"

#include "platform/Log.h"

#include <algorithm>

namespace tallowmere {
namespace {

// A drive that is slow to come back after a wake gets ever longer to do so: 2 s after the first pass, then 4, 6, ...
constexpr Seconds pausePerPass{2.0};

std::string passLine(int pass, RemountPolicy policy, const std::vector<std::string>& remounted,
                     const std::vector<EjectedDiskInfo>& stillOffline, const std::vector<EjectedDiskInfo>& givenUp) {
    std::string line = "Remount pass " + std::to_string(pass + 1) + " of " + std::to_string(policy.retries + 1) +
                       ": back: " + sortedVolumeNames(remounted);
    if (!stillOffline.empty())
        line += "; still offline: " + sortedVolumeNames(stillOffline);
    if (!givenUp.empty())
        line += "; given up: " + sortedVolumeNames(givenUp);
    return line;
}

} // namespace

RemountPasses::RemountPasses(const DiskServices& services, WeakOwner owner, const EjectBatch& batches,
                             PublishedLists& lists)
    : m_services(services)
    , m_owner(std::move(owner))
    , m_batches(batches)
    , m_lists(lists)
    , m_remounter(services) {}

void RemountPasses::remount(RemountPolicy policy, URLsCompletion completion, RemountObserver observer) {
    ++m_running;
    runPass(policy, 0, std::make_shared<const RemountObserver>(std::move(observer)),
            [this, owner = m_owner(), completion = std::move(completion)](std::vector<std::string> urls) {
                if (const auto alive = owner.lock())
                    --m_running;
                if (completion)
                    completion(std::move(urls));
            });
}

void RemountPasses::runPass(RemountPolicy policy, int pass, std::shared_ptr<const RemountObserver> observer,
                            URLsCompletion completion) {
    Runtime& runtime = m_services.runtime;
    auto remounted = std::make_shared<std::vector<std::string>>();
    auto failed = std::make_shared<std::vector<EjectedDiskInfo>>();
    auto group = runtime.makeGroup();
    const std::uint64_t batchesBefore = m_batches.batchesFinished();

    for (const EjectedDiskInfo& disk : m_lists.lastEjectedDisks()) {
        group->enter();
        runtime.globalAsync(QoS::Utility, [this, owner = m_owner(), &runtime, disk, remounted, failed, group] {
            bool success = false;
            if (const auto alive = owner.lock())
                success = m_remounter.remount(disk);
            runtime.mainAsync([disk, success, remounted, failed, group] {
                if (success)
                    remounted->push_back(disk.url);
                else
                    failed->push_back(disk);
                group->leave();
            });
        });
    }

    group->notifyMain([this, owner = m_owner(), &runtime, policy, pass, remounted, failed, observer, batchesBefore,
                       completion = std::move(completion)] {
        const auto alive = owner.lock();
        if (!alive) {
            completion(*remounted);
            return;
        }
        const bool last = failed->empty() || pass >= policy.retries;
        // Volumes that still failed are given up; the user should be able to tell why one stayed offline.
        const std::vector<EjectedDiskInfo> givenUp = last ? *failed : std::vector<EjectedDiskInfo>{};
        const std::vector<EjectedDiskInfo> stillOffline = last ? std::vector<EjectedDiskInfo>{} : *failed;
        for (const EjectedDiskInfo& disk : givenUp)
            logError(LogCategory::disks(), "ERROR: Could not remount " + disk.volumeName + "; giving up");
        logLine(LogCategory::disks(), passLine(pass, policy, *remounted, stillOffline, givenUp));
        settle(*remounted, givenUp, batchesBefore);
        if (observer->passEnded)
            observer->passEnded({*remounted, givenUp});
        if (last) {
            completion(*remounted);
            return;
        }
        runtime.mainAfter(
            pausePerPass * (pass + 1), [this, owner, policy, pass, remounted, failed, observer, completion] {
                const auto alive = owner.lock();
                if (!alive) {
                    completion(*remounted);
                    return;
                }
                if (observer->isWanted && !observer->isWanted()) {
                    logLine(LogCategory::disks(), "Remount stopped after pass " + std::to_string(pass + 1) +
                                                      "; still offline: " + sortedVolumeNames(*failed));
                    completion(*remounted);
                    return;
                }
                runPass(policy, pass + 1, observer, [remounted, completion](std::vector<std::string> later) {
                    std::vector<std::string> all = *remounted;
                    all.insert(all.end(), later.begin(), later.end());
                    completion(std::move(all));
                });
            });
    });
}

void RemountPasses::settle(const std::vector<std::string>& remounted, const std::vector<EjectedDiskInfo>& givenUp,
                           std::uint64_t batchesBefore) {
    std::vector<EjectedDiskInfo> kept;
    for (const EjectedDiskInfo& disk : m_lists.lastEjectedDisks()) {
        const bool settled = std::find(remounted.begin(), remounted.end(), disk.url) != remounted.end() ||
                             std::any_of(givenUp.begin(), givenUp.end(),
                                         [&](const EjectedDiskInfo& gone) { return gone.url == disk.url; });
        // A batch that finished during the pass took the volume offline again after the pass had seen it back.
        if (!settled || m_batches.recordedSince(batchesBefore, disk.url))
            kept.push_back(disk);
    }
    m_lists.publishLastEjectedDisks(std::move(kept), {});
}

} // namespace tallowmere
