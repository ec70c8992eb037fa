#pragma once

#include "disks/DiskEngine.h"
#include "disks/EjectBatch.h"
#include "disks/EjectedDisksFile.h"
#include "disks/RemountPasses.h"
#include "disks/SelectionRefresh.h"
#include "disks/VolumeAllowlist.h"
#include "disks/VolumeDiscovery.h"
#include "disks/VolumeEjector.h"

#include <QObject>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tallowmere {

// The one object through which the application finds, ejects, unmounts and remounts external volumes. It owns the
// published lists and composes the parts that do the work: discovery (VolumeDiscovery, SelectionRefresh), taking
// volumes offline (VolumeEjector, EjectBatch), remount (RemountPasses) and the allowlist (VolumeAllowlist). Its
// published lists change on the main queue only.
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
    // Returns at once; the selections are published later, on the main queue.
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
    bool isRemounting() const;

    // Allowlist: writes it; observers re-read the selections on the main queue.
    void setVolume(const std::string& volumeId, bool included, std::optional<std::vector<std::string>> allVolumeIds);
    bool isIncluded(const std::string& volumeId) const;

signals:
    void lastEjectedDisksChanged();
    void cachedVolumeSelectionsChanged();

private:
    explicit ExternalDiskManager(Services services);

    WeakOwner weakOwner();
    void publishLastEjectedDisks(std::vector<EjectedDiskInfo> disks,
                                 const std::vector<EjectedDiskInfo>& settled) override;
    void publishSelections(std::vector<VolumeSelection> selections) override;
    void republishSelections() override;

    Services m_services;
    std::vector<EjectedDiskInfo> m_lastEjectedDisks;
    std::vector<VolumeSelection> m_cachedVolumeSelections;
    EjectedDisksFile m_remountList;
    VolumeAllowlist m_allowlist;
    VolumeDiscovery m_discovery;
    SelectionRefresh m_refresh;
    VolumeEjector m_ejector;
    EjectBatch m_batches;
    RemountPasses m_remount;
};

} // namespace tallowmere
