#include "disks/EjectBatch.h"

#include "platform/Log.h"

#include <algorithm>

namespace tallowmere {
namespace {

std::string volumeCount(int count) {
    return std::to_string(count) + (count == 1 ? " volume" : " volumes");
}

std::string foundLine(const std::vector<EligibleVolume>& volumes, const std::vector<std::string>& leftOut,
                      int unanswered) {
    std::vector<std::string> urls;
    for (const EligibleVolume& volume : volumes)
        urls.push_back(volume.url);
    std::string line = urls.empty() ? "Batch found nothing to take offline"
                                    : "Batch found " + sortedVolumeNames(urls) + " to take offline";
    if (!leftOut.empty())
        line += "; left out by the allowlist: " + sortedVolumeNames(leftOut);
    if (unanswered > 0)
        line += "; diskutil did not answer about " + volumeCount(unanswered);
    return line;
}

} // namespace

EjectBatch::EjectBatch(const DiskServices& services, WeakOwner owner, Parts parts)
    : m_services(services)
    , m_owner(std::move(owner))
    , m_parts(parts)
    , m_timeMachine(services) {}

void EjectBatch::run(const std::vector<DiskType>& types, EjectOptions options, URLsCompletion completion,
                     UnansweredHandler unanswered) {
    Runtime& runtime = m_services.runtime;
    m_parts.refresh.batchStarted();
    // Whether a backup runs does not depend on the volume: asked once, while the volumes are classified.
    auto batch = std::make_shared<BatchContext>();
    std::shared_ptr<Semaphore> backupRead = runtime.makeSemaphore(0);
    runtime.globalAsync(QoS::UserInitiated, [this, owner = m_owner(), batch, backupRead] {
        if (const auto alive = owner.lock())
            batch->backup = m_timeMachine.runningBackup();
        backupRead->signal();
    });

    EligibleVolumes eligible = m_parts.discovery.eligibleVolumes(types);
    std::vector<EligibleVolume>& volumes = eligible.volumes;
    std::vector<std::string> leftOut;
    if (options.onlyAllowed) {
        const Allowlist allowlist = m_parts.allowlist.allowlist();
        std::erase_if(volumes, [&](const EligibleVolume& volume) {
            const bool included = allowlist.includes(volume.id());
            if (!included)
                leftOut.push_back(volume.url);
            return !included;
        });
    }
    logLine(LogCategory::disks(), foundLine(volumes, leftOut, eligible.unanswered));
    backupRead->wait();
    if (volumes.empty()) {
        // The volumes diskutil did not answer about may be the very ones to protect: that is a failure, not nothing
        // to do.
        if (eligible.unanswered > 0) {
            logError(LogCategory::disks(),
                     "ERROR: No external disks were taken offline: diskutil did not answer about " +
                         volumeCount(eligible.unanswered));
            if (unanswered)
                unanswered(eligible.unanswered);
        } else {
            logDebug(LogCategory::disks(), "DEBUG: No external disks to eject");
        }
        m_parts.refresh.batchFinished();
        if (completion)
            completion({});
        return;
    }

    // On the remount list before anything goes offline, so that a process that ends in the middle leaves them there;
    // the write overlaps the fixed wait before each unmount.
    std::vector<EjectedDiskInfo> inFlight;
    for (const EligibleVolume& volume : volumes)
        inFlight.push_back({volume.url, {}, volume.name()});
    batch->listed = m_parts.remountList.addInFlight(inFlight);

    auto group = runtime.makeGroup();
    auto records = std::make_shared<std::vector<EjectedDiskInfo>>();
    auto ejected = std::make_shared<std::vector<std::string>>();
    for (const EligibleVolume& volume : volumes) {
        group->enter();
        // Each volume on a thread of its own: one that does not answer holds up no other.
        runtime.globalAsync(QoS::UserInitiated, [this, owner = m_owner(), volume, options, batch, group, records,
                                                 ejected] {
            const auto alive = owner.lock();
            if (!alive) {
                group->leave();
                return;
            }
            m_parts.ejector.takeOffline(volume, options, batch,
                                        [group, records, ejected](bool success, std::optional<EjectedDiskInfo> record) {
                                            if (record) {
                                                if (success)
                                                    ejected->push_back(record->url);
                                                records->push_back(std::move(*record));
                                            }
                                            group->leave();
                                        });
        });
    }
    group->notifyMain([this, owner = m_owner(), records, ejected, inFlight, completion = std::move(completion)] {
        if (const auto alive = owner.lock()) {
            finish(*records, inFlight);
            m_parts.refresh.batchFinished();
        }
        if (completion)
            completion(*ejected);
    });
}

void EjectBatch::finish(std::vector<EjectedDiskInfo> records, const std::vector<EjectedDiskInfo>& inFlight) {
    // A lock's eject followed by a sleep's must bring both sets back: the earlier records stay while their volumes
    // are offline, and are replaced by this batch's record of the same volume.
    std::vector<EjectedDiskInfo> kept;
    const auto mounted = m_services.fileSystem.mountedVolumePaths();
    for (const EjectedDiskInfo& earlier : m_parts.lists.lastEjectedDisks()) {
        auto sameVolume = [&](const EjectedDiskInfo& disk) { return disk.url == earlier.url; };
        const bool offline = !mounted || std::find(mounted->begin(), mounted->end(), earlier.url) == mounted->end();
        if (offline && std::none_of(records.begin(), records.end(), sameVolume) &&
            std::none_of(kept.begin(), kept.end(), sameVolume))
            kept.push_back(earlier);
    }
    kept.insert(kept.end(), records.begin(), records.end());
    ++m_batchesFinished;
    for (const EjectedDiskInfo& record : records)
        m_recordedInBatch[record.url] = m_batchesFinished;
    logLine(LogCategory::disks(), "Batch finished; to remount: " + sortedVolumeNames(kept));
    m_parts.lists.publishLastEjectedDisks(std::move(kept), inFlight);
}

bool EjectBatch::recordedSince(std::uint64_t batchesBefore, const std::string& url) const {
    const auto recorded = m_recordedInBatch.find(url);
    return recorded != m_recordedInBatch.end() && recorded->second > batchesBefore;
}

} // namespace tallowmere
