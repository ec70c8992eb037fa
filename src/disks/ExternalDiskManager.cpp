#include "disks/ExternalDiskManager.h"

#include <algorithm>

namespace tallowmere {

std::shared_ptr<ExternalDiskManager> ExternalDiskManager::create(Services services) {
    return std::shared_ptr<ExternalDiskManager>(new ExternalDiskManager(services));
}

ExternalDiskManager::ExternalDiskManager(Services services)
    : m_services(services)
    , m_remountList(services.fileSystem, services.runtime)
    , m_allowlist(services.preferences)
    , m_discovery(services)
    , m_refresh(services, weakOwner(), m_discovery, m_allowlist, *this)
    , m_ejector(services, weakOwner(), m_discovery)
    , m_batches(services, weakOwner(), {m_discovery, m_allowlist, m_ejector, m_refresh, m_remountList, *this})
    , m_remount(services, weakOwner(), m_batches, *this) {
    // The disk arbitration session lives as long as the manager; no operation here uses it.
    m_services.diskArbitration.createSession();
}

ExternalDiskManager::~ExternalDiskManager() = default;

WeakOwner ExternalDiskManager::weakOwner() {
    return [this] { return std::weak_ptr<const void>(weak_from_this()); };
}

// Published lists.

const std::vector<EjectedDiskInfo>& ExternalDiskManager::lastEjectedDisks() const {
    return m_lastEjectedDisks;
}

void ExternalDiskManager::setLastEjectedDisks(std::vector<EjectedDiskInfo> disks) {
    publishLastEjectedDisks(std::move(disks), {});
}

void ExternalDiskManager::publishLastEjectedDisks(std::vector<EjectedDiskInfo> disks,
                                                  const std::vector<EjectedDiskInfo>& settled) {
    m_remountList.setRecords(disks, settled);
    m_lastEjectedDisks = std::move(disks);
    emit lastEjectedDisksChanged();
}

std::vector<EjectedDiskInfo> ExternalDiskManager::restoreEjectedDisks() {
    std::vector<EjectedDiskInfo> disks = m_remountList.load();
    if (auto mounted = m_services.fileSystem.mountedVolumePaths()) {
        std::erase_if(disks, [&](const EjectedDiskInfo& disk) {
            return std::find(mounted->begin(), mounted->end(), disk.url) != mounted->end();
        });
    }
    setLastEjectedDisks(disks);
    return disks;
}

const std::vector<VolumeSelection>& ExternalDiskManager::cachedVolumeSelections() const {
    return m_cachedVolumeSelections;
}

void ExternalDiskManager::publishSelections(std::vector<VolumeSelection> selections) {
    m_cachedVolumeSelections = std::move(selections);
    emit cachedVolumeSelectionsChanged();
}

void ExternalDiskManager::republishSelections() {
    m_services.runtime.mainAsync([weak = weak_from_this()] {
        if (auto self = weak.lock())
            emit self->cachedVolumeSelectionsChanged();
    });
}

// Discovery and classification.

std::vector<std::string> ExternalDiskManager::externalVolumeURLs(const std::vector<DiskType>& types) {
    std::vector<std::string> urls;
    for (const EligibleVolume& volume : m_discovery.eligibleVolumes(types).volumes)
        urls.push_back(volume.url);
    return urls;
}

std::vector<VolumeSelection> ExternalDiskManager::volumeSelections(const std::vector<DiskType>& types) {
    return m_discovery.volumeSelections(types);
}

void ExternalDiskManager::refreshVolumeSelections(const std::vector<DiskType>& types) {
    m_refresh.request(types);
}

VolumeClassification ExternalDiskManager::classifyVolume(const std::string& url) {
    return m_discovery.classifyVolume(url);
}

// Eject and unmount.

void ExternalDiskManager::ejectVolume(const std::string& url, EjectOptions options, EjectCompletion completion) {
    m_ejector.takeOffline({url, {}}, options, nullptr, std::move(completion));
}

void ExternalDiskManager::ejectExternalDisks(const std::vector<DiskType>& types, EjectOptions options,
                                             URLsCompletion completion, UnansweredHandler unanswered) {
    m_batches.run(types, options, std::move(completion), std::move(unanswered));
}

bool ExternalDiskManager::isTakingVolumesOffline() const {
    return m_refresh.isBatchRunning();
}

// Remount.

void ExternalDiskManager::remountLastEjectedDisks(RemountPolicy policy, URLsCompletion completion,
                                                  RemountObserver observer) {
    m_remount.remount(policy, std::move(completion), std::move(observer));
}

bool ExternalDiskManager::isRemounting() const {
    return m_remount.isRunning();
}

// Allowlist.

void ExternalDiskManager::setVolume(const std::string& volumeId, bool included,
                                    std::optional<std::vector<std::string>> allVolumeIds) {
    m_allowlist.setVolume(volumeId, included, allVolumeIds);
    republishSelections();
}

bool ExternalDiskManager::isIncluded(const std::string& volumeId) const {
    return m_allowlist.allowlist().includes(volumeId);
}

} // namespace tallowmere
