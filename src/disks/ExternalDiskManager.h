#pragma once

#include "disks/DiskTypes.h"
#include "disks/Diskutil.h"
#include "disks/EjectedDisksFile.h"
#include "disks/VolumeAllowlist.h"
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

// How volumes are taken offline.
struct EjectOptions {
    // "diskutil unmount force": busy volumes too, and never the workspace's eject.
    bool force = false;
    // Only the volumes the allowlist includes (the automatic eject; the user's commands take every volume).
    bool onlyAllowed = false;
};

// How long a remount keeps trying the volumes that do not come back: one pass, then `retries` more.
struct RemountPolicy {
    int retries = 0;
    // The wake's and the commands': a volume that comes back late still comes back.
    static constexpr RemountPolicy persistent() { return {5}; }
    // One look, for what an earlier run left offline.
    static constexpr RemountPolicy onePass() { return {0}; }
};

// The one object through which the application finds, ejects, unmounts and remounts external volumes.
// Its published lists change on the main queue only.
class ExternalDiskManager : public QObject, public std::enable_shared_from_this<ExternalDiskManager> {
    Q_OBJECT

public:
    struct Services {
        Runtime& runtime;
        PreferenceStore& preferences;
        ProcessRunner& processes;
        FileSystem& fileSystem;
        SystemTools& tools;
        Workspace& workspace;
        DiskArbitration& diskArbitration;
    };
    // `success`: the volume was seen going offline; it comes with its record. A record without success: taking it
    // offline began but was not seen to end (a tool run or a look ran out of time), so it belongs on the remount list.
    using EjectCompletion = std::function<void(bool success, std::optional<EjectedDiskInfo> record)>;
    using URLsCompletion = std::function<void(std::vector<std::string> urls)>;
    // A batch found volumes but nothing to take offline, because diskutil did not answer about this many of them.
    using UnansweredHandler = std::function<void(int volumes)>;

    // What one remount pass did: the volumes it brought back, and those given up after the last pass.
    struct RemountPass {
        std::vector<std::string> remounted;
        std::vector<EjectedDiskInfo> givenUp;
    };
    struct RemountObserver {
        // Main queue, as each pass ends.
        std::function<void(const RemountPass&)> passEnded;
        // Main queue, before each further pass: false ends the remount and leaves what failed on the list.
        std::function<bool()> isWanted;
    };

    static constexpr const char* allowlistKey = PreferenceKey::autoEjectAllowedVolumeIds;
    static constexpr const char* seenVolumesKey = PreferenceKey::autoEjectSeenVolumeIds;

    static std::shared_ptr<ExternalDiskManager> create(Services services);
    ~ExternalDiskManager() override;

    // Published values (main thread). The last-ejected list is also kept on disk (EjectedDisksFile).
    const std::vector<EjectedDiskInfo>& lastEjectedDisks() const;
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
    std::optional<std::string> resolveDeviceIdentifier(const std::string& url);

    // Eject and unmount.
    void ejectVolume(const std::string& url, EjectOptions options, EjectCompletion completion);
    // `unanswered` is told, before the completion, when the batch had nothing to take offline for that reason.
    void ejectExternalDisks(const std::vector<DiskType>& types, EjectOptions options, URLsCompletion completion,
                            UnansweredHandler unanswered = nullptr);
    // Whether a batch is finding volumes or taking them offline. Any thread.
    bool isTakingVolumesOffline() const;
    bool stopTimeMachineBackupIfRunning(const std::string& volumePath);
    // A lookup that ran out of time counts as mounted: it is no evidence that the volume went offline.
    bool isVolumeMounted(const std::string& volumeName, const std::string& deviceIdentifier);

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

    // A volume the classification found eligible, with the device identifier its answer named ("" for none).
    struct EligibleVolume {
        std::string url;
        std::string identifier;
        // The volume identifier: the device identifier, or the name when none was named.
        std::string id() const { return identifier.empty() ? lastPathComponent(url) : identifier; }
    };
    // `tmutil status` while a backup runs; nothing otherwise.
    using BackupStatus = std::optional<std::string>;
    // What a batch shares with its volumes: the backup status, read once, and the write of the volumes to the
    // remount list, which each volume waits for before it goes offline.
    struct BatchContext {
        BackupStatus backup;
        std::shared_ptr<Group> listed;
    };

    // `unanswered`, when given, counts the volumes diskutil did not answer about in time.
    std::vector<EligibleVolume> eligibleVolumes(const std::vector<DiskType>& types, int* unanswered = nullptr);
    VolumeClassification classify(const std::string& url, std::string& identifier, bool* answered = nullptr);
    // `ejectVolume` with what a batch knows already (none for a single volume): the identifier, when not empty.
    void takeOffline(const std::string& url, bool force, const std::string& knownIdentifier,
                     std::shared_ptr<const BatchContext> batch, EjectCompletion completion);
    BackupStatus runningBackupStatus();
    bool stopBackupTo(const BackupStatus& status, const std::string& volumePath);

    Diskutil diskutil() const;
    void runEjectPath(const std::string& url, const std::string& name, const std::string& identifier,
                      EjectCompletion completion);
    void runUnmountPath(const std::string& url, const std::string& name, const std::string& identifier, bool force,
                        EjectCompletion completion);
    // The workspace's eject within the limit for taking a volume offline; the error, or why it was given up.
    std::optional<std::string> unmountAndEjectWithinLimit(const std::string& url, bool& timedOut);
    ProcessResult runUnmount(const std::string& target, const std::string& label, bool force,
                             const std::string& volumeName);
    // Whether diskutil says the volume is mounted; nothing when a lookup ran out of time.
    std::optional<bool> mountState(const std::string& volumeName, const std::string& deviceIdentifier);
    // Main queue: a batch's records join those of earlier batches whose volumes are still offline.
    void finishBatch(std::vector<EjectedDiskInfo> records, const std::vector<EjectedDiskInfo>& inFlight);
    void remountPass(int maxRetries, int attempt, std::shared_ptr<const RemountObserver> observer,
                     URLsCompletion completion);
    // Main queue, as a pass ends that began after `batchesBefore` batches had finished: the volumes it brought back
    // and those given up leave the list, except those a batch has taken offline again since.
    void settleRemountPass(const std::vector<std::string>& remounted, const std::vector<EjectedDiskInfo>& givenUp,
                           std::uint64_t batchesBefore);
    // Also writes the remount list; `settled` are the in-flight volumes of a finished batch.
    void publishLastEjectedDisks(std::vector<EjectedDiskInfo> disks, const std::vector<EjectedDiskInfo>& settled);
    void startRefresh(std::vector<DiskType> types);
    void refreshFinished();
    void batchStarted();
    void batchFinished();
    void setCachedVolumeSelections(std::vector<VolumeSelection> selections);
    // Observers re-read the selections, and so the allowlist, on the main queue.
    void republishSelections();

    Services m_services;
    EjectedDisksFile m_remountList;
    VolumeAllowlist m_allowlist;
    // One refresh runs at a time, and none while a batch runs; requests made meanwhile become one more, with the
    // latest kinds.
    mutable std::mutex m_refreshLock;
    bool m_isRefreshing = false;
    int m_batchesRunning = 0;
    std::optional<std::vector<DiskType>> m_pendingRefresh;
    std::vector<EjectedDiskInfo> m_lastEjectedDisks;
    int m_remountsRunning = 0;
    // How many batches have finished, and which of them last recorded each volume offline (by mount URL).
    std::uint64_t m_batchesFinished = 0;
    std::map<std::string, std::uint64_t> m_recordedInBatch;
    std::vector<VolumeSelection> m_cachedVolumeSelections;
};

} // namespace tallowmere
