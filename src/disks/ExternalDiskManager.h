#pragma once

#include "disks/DiskEngine.h"
#include "disks/Diskutil.h"
#include "disks/EjectBatch.h"
#include "disks/EjectedDisksFile.h"
#include "disks/SelectionRefresh.h"
#include "disks/VolumeAllowlist.h"
#include "disks/VolumeDiscovery.h"
#include "disks/VolumeEjector.h"
#include "platform/DiskArbitration.h"
#include "platform/FileSystem.h"
#include "platform/PreferenceStore.h"
#include "platform/ProcessRunner.h"
#include "platform/Runtime.h"
#include "platform/SystemTools.h"
#include "platform/Workspace.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tallowmere {

// The one object through which the application finds, ejects, unmounts and remounts external volumes.
// Its published lists change on the main queue only.
class ExternalDiskManager : public QObject,
                            public std::enable_shared_from_this<ExternalDiskManager>,
                            private PublishedLists {
    Q_OBJECT

public:
    using Services = DiskServices;
    using EjectCompletion = tallowmere::EjectCompletion;
    using URLsCompletion = tallowmere::URLsCompletion;
    using UnansweredHandler = tallowmere::UnansweredHandler;
    using RemountPass = tallowmere::RemountPass;
    using RemountObserver = tallowmere::RemountObserver;

    static constexpr const char* allowlistKey = PreferenceKey::autoEjectAllowedVolumeIds;
    static constexpr const char* seenVolumesKey = PreferenceKey::autoEjectSeenVolumeIds;

    static std::shared_ptr<ExternalDiskManager> create(Services services);
    ~ExternalDiskManager() override;

    // Published values (main thread). The last-ejected list is also kept on disk (EjectedDisksFile).
    const std::vector<EjectedDiskInfo>& lastEjectedDisks() const override;
    void setLastEjectedDisks(std::vector<EjectedDiskInfo> disks);
    // At launch: publishes what an earlier run left on the remount list, less the volumes mounted now, and
    // returns it.
    std::vector<EjectedDiskInfo> restoreEjectedDisks();
    const std::vector<VolumeSelection>& cachedVolumeSelections() const;

    // Discovery and classification (blocking; background threads).
    std::vector<std::string> externalVolumeURLs(const std::vector<DiskType>& types);
    std::vector<VolumeSelection> volumeSelections(const std::vector<DiskType>& types);
    void refreshVolumeSelections(const std::vector<DiskType>& types);
    VolumeClassification classifyVolume(const std::string& url);

    // Eject and unmount.
    void ejectVolume(const std::string& url, EjectOptions options, EjectCompletion completion);
    // `unanswered` is told, before the completion, when the batch had nothing to take offline for that reason.
    void ejectExternalDisks(const std::vector<DiskType>& types, EjectOptions options, URLsCompletion completion,
                            UnansweredHandler unanswered = nullptr);
    // Whether a batch is finding volumes or taking them offline. Any thread.
    bool isTakingVolumesOffline() const;

    // Remount (call on the main queue).
    void remountLastEjectedDisks(RemountPolicy policy, URLsCompletion completion, RemountObserver observer = {});
    // Whether a remount runs, the pauses between its passes included.
    bool isRemounting() const { return m_remountsRunning > 0; }
    bool remountDisk(const EjectedDiskInfo& disk);
    std::pair<std::optional<std::string>, bool> locateVolume(const std::string& name);
    bool runDiskutilMount(const std::string& verb, const std::string& target, const std::string& label,
                          const EjectedDiskInfo& disk);

    // Allowlist and seen volumes.
    // Writes the allowlist; observers re-read the selections on the main queue.
    void setVolume(const std::string& volumeId, bool included, std::optional<std::vector<std::string>> allVolumeIds);
    bool isIncluded(const std::string& volumeId) const;

signals:
    void lastEjectedDisksChanged();
    void cachedVolumeSelectionsChanged();

private:
    explicit ExternalDiskManager(Services services);

    Diskutil diskutil() const;
    void remountPass(int maxRetries, int attempt, std::shared_ptr<const RemountObserver> observer,
                     URLsCompletion completion);
    // Main queue, as a pass ends that began after `batchesBefore` batches had finished: the volumes it brought back
    // and those given up leave the list, except those a batch has taken offline again since.
    void settleRemountPass(const std::vector<std::string>& remounted, const std::vector<EjectedDiskInfo>& givenUp,
                           std::uint64_t batchesBefore);
    WeakOwner weakOwner();
    void publishLastEjectedDisks(std::vector<EjectedDiskInfo> disks,
                                 const std::vector<EjectedDiskInfo>& settled) override;
    void publishSelections(std::vector<VolumeSelection> selections) override;
    void republishSelections() override;

    Services m_services;
    EjectedDisksFile m_remountList;
    VolumeAllowlist m_allowlist;
    VolumeDiscovery m_discovery;
    SelectionRefresh m_refresh;
    VolumeEjector m_ejector;
    EjectBatch m_batches;
    std::vector<EjectedDiskInfo> m_lastEjectedDisks;
    int m_remountsRunning = 0;
    std::vector<VolumeSelection> m_cachedVolumeSelections;
};

} // namespace tallowmere
