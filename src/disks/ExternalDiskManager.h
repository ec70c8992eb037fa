#pragma once

#include "disks/DiskTypes.h"
#include "disks/Diskutil.h"
#include "platform/DiskArbitration.h"
#include "platform/FileSystem.h"
#include "platform/PreferenceStore.h"
#include "platform/ProcessRunner.h"
#include "platform/Runtime.h"
#include "platform/SystemTools.h"
#include "platform/Workspace.h"

#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tallowmere {

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
    using EjectCompletion = std::function<void(bool success, std::optional<EjectedDiskInfo> record)>;
    using URLsCompletion = std::function<void(std::vector<std::string> urls)>;

    static constexpr const char* allowlistKey = "autoEjectAllowedVolumeIds";
    static constexpr const char* seenVolumesKey = "autoEjectSeenVolumeIds";

    static std::shared_ptr<ExternalDiskManager> create(Services services);
    ~ExternalDiskManager() override;

    bool hasSession() const;

    // Published values (main thread).
    const std::vector<EjectedDiskInfo>& lastEjectedDisks() const;
    void setLastEjectedDisks(std::vector<EjectedDiskInfo> disks);
    const std::vector<VolumeSelection>& cachedVolumeSelections() const;

    // Discovery and classification (blocking; background threads).
    std::vector<std::string> externalVolumeURLs(const std::vector<DiskType>& types);
    std::vector<VolumeSelection> volumeSelections(const std::vector<DiskType>& types);
    void refreshVolumeSelections(const std::vector<DiskType>& types);
    VolumeClassification classifyVolume(const std::string& url);
    std::optional<std::string> resolveDeviceIdentifier(const std::string& url);
    // The device identifier, or the volume's name when none is reported.
    std::string volumeIdentifier(const std::string& url);

    // Eject and unmount.
    void ejectVolume(const std::string& url, bool force, EjectCompletion completion);
    void ejectExternalDisks(const std::vector<DiskType>& types, bool force, bool applyAllowlist,
                            URLsCompletion completion);
    bool stopTimeMachineBackupIfRunning(const std::string& volumePath);
    bool runDiskutilUnmount(const std::string& target, const std::string& label, bool force,
                            const std::string& volumeName);
    bool isVolumeMounted(const std::string& volumeName, const std::string& deviceIdentifier);

    // Remount (call on the main queue).
    void remountLastEjectedDisks(int maxRetries, int attempt, URLsCompletion completion);
    bool remountDisk(const EjectedDiskInfo& disk);
    std::pair<std::optional<std::string>, bool> locateVolume(const std::string& name);
    bool runDiskutilMount(const std::string& verb, const std::string& target, const std::string& label,
                          const EjectedDiskInfo& disk);

    // Allowlist and seen volumes.
    void setVolume(const std::string& volumeId, bool included, std::optional<std::vector<std::string>> allVolumeIds);
    void recordSeenVolumes(const std::vector<std::string>& volumeIds);
    std::vector<std::string> filterByAllowlist(const std::vector<std::string>& urls, bool enabled);
    void republishSelections();
    // Whether a volume counts as included: the allowlist is empty or holds its identifier.
    bool isIncluded(const std::string& volumeId) const;

signals:
    void lastEjectedDisksChanged();
    void cachedVolumeSelectionsChanged();

private:
    explicit ExternalDiskManager(Services services);

    Diskutil diskutil() const;
    std::set<std::string> readIdList(const char* key) const;
    void writeIdList(const char* key, const std::set<std::string>& ids);
    void runEjectPath(const std::string& url, const std::string& name, const std::string& identifier,
                      EjectCompletion completion);
    void runUnmountPath(const std::string& url, const std::string& name, const std::string& identifier, bool force,
                        EjectCompletion completion);
    void setCachedVolumeSelections(std::vector<VolumeSelection> selections);

    Services m_services;
    // Refreshes are numbered as they start; the main queue publishes none older than the newest published.
    std::atomic<std::uint64_t> m_refreshesStarted{0};
    std::uint64_t m_newestPublishedRefresh = 0;
    bool m_hasSession = false;
    std::vector<EjectedDiskInfo> m_lastEjectedDisks;
    std::vector<VolumeSelection> m_cachedVolumeSelections;
};

} // namespace tallowmere
