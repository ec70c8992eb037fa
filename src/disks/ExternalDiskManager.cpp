#include "disks/ExternalDiskManager.h"

#include "base/Preferences.h"
#include "disks/VolumeClassifier.h"
#include "platform/Log.h"

#include <algorithm>
#include <mutex>

namespace tallowmere {
namespace {

using LookupResult = std::pair<std::optional<std::string>, bool>;

// An array whose every element is a dictionary; nothing otherwise.
std::optional<std::vector<const PropertyDictionary*>> dictionaries(const PropertyValue* value) {
    const auto* array = value ? value->as<PropertyArray>() : nullptr;
    if (!array)
        return std::nullopt;
    std::vector<const PropertyDictionary*> result;
    result.reserve(array->size());
    for (const PropertyValue& element : *array) {
        const auto* dictionary = element.as<PropertyDictionary>();
        if (!dictionary)
            return std::nullopt;
        result.push_back(dictionary);
    }
    return result;
}

std::optional<LookupResult> matchVolume(const PropertyDictionary& entry, const std::string& name) {
    const auto* volumeName = findAs<std::string>(entry, "VolumeName");
    const auto* identifier = findAs<std::string>(entry, "DeviceIdentifier");
    if (!volumeName || *volumeName != name || !identifier)
        return std::nullopt;
    const auto* mountPoint = findAs<std::string>(entry, "MountPoint");
    return LookupResult{*identifier, mountPoint && !mountPoint->empty()};
}

} // namespace

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
    , m_batches(services, weakOwner(), {m_discovery, m_allowlist, m_ejector, m_refresh, m_remountList, *this}) {
    // No operation uses the session; it is there from the start, as on the Mac.
    m_services.diskArbitration.createSession();
}

ExternalDiskManager::~ExternalDiskManager() = default;

WeakOwner ExternalDiskManager::weakOwner() {
    return [this] { return std::weak_ptr<const void>(weak_from_this()); };
}

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

Diskutil ExternalDiskManager::diskutil() const {
    return Diskutil(m_services.processes, m_services.tools);
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

bool ExternalDiskManager::isTakingVolumesOffline() const {
    return m_refresh.isBatchRunning();
}

// Eject and unmount.

void ExternalDiskManager::ejectVolume(const std::string& url, EjectOptions options, EjectCompletion completion) {
    m_ejector.takeOffline({url, {}}, options, nullptr, std::move(completion));
}

void ExternalDiskManager::ejectExternalDisks(const std::vector<DiskType>& types, EjectOptions options,
                                             URLsCompletion completion, UnansweredHandler unanswered) {
    m_batches.run(types, options, std::move(completion), std::move(unanswered));
}

// Remount.

void ExternalDiskManager::remountLastEjectedDisks(RemountPolicy policy, URLsCompletion completion,
                                                  RemountObserver observer) {
    ++m_remountsRunning;
    remountPass(policy.retries, 0, std::make_shared<const RemountObserver>(std::move(observer)),
                [weak = weak_from_this(), completion = std::move(completion)](std::vector<std::string> urls) {
                    if (auto self = weak.lock())
                        --self->m_remountsRunning;
                    if (completion)
                        completion(std::move(urls));
                });
}

void ExternalDiskManager::remountPass(int maxRetries, int attempt, std::shared_ptr<const RemountObserver> observer,
                                      URLsCompletion completion) {
    Runtime& runtime = m_services.runtime;
    auto remounted = std::make_shared<std::vector<std::string>>();
    auto failed = std::make_shared<std::vector<EjectedDiskInfo>>();
    auto group = runtime.makeGroup();
    const std::uint64_t batchesBefore = m_batches.batchesFinished();

    for (const EjectedDiskInfo& disk : m_lastEjectedDisks) {
        group->enter();
        runtime.globalAsync(QoS::Utility, [weak = weak_from_this(), &runtime, disk, remounted, failed, group] {
            bool success = false;
            if (auto self = weak.lock())
                success = self->remountDisk(disk);
            runtime.mainAsync([disk, success, remounted, failed, group] {
                if (success)
                    remounted->push_back(disk.url);
                else
                    failed->push_back(disk);
                group->leave();
            });
        });
    }

    group->notifyMain([weak = weak_from_this(), &runtime, maxRetries, attempt, remounted, failed, observer,
                       batchesBefore, completion = std::move(completion)] {
        auto self = weak.lock();
        if (!self) {
            completion(*remounted);
            return;
        }
        const bool last = failed->empty() || attempt >= maxRetries;
        // Volumes that still failed are given up; the user should be able to tell why one stayed offline.
        const std::vector<EjectedDiskInfo> givenUp = last ? *failed : std::vector<EjectedDiskInfo>{};
        for (const EjectedDiskInfo& disk : givenUp)
            logError(LogCategory::disks(), "ERROR: Could not remount " + disk.volumeName + "; giving up");
        self->settleRemountPass(*remounted, givenUp, batchesBefore);
        if (observer->passEnded)
            observer->passEnded({*remounted, givenUp});
        if (last) {
            completion(*remounted);
            return;
        }
        runtime.mainAfter(Seconds(2.0 * (attempt + 1)), [weak, maxRetries, attempt, remounted, observer, completion] {
            auto self = weak.lock();
            if (!self || (observer->isWanted && !observer->isWanted())) {
                completion(*remounted);
                return;
            }
            self->remountPass(maxRetries, attempt + 1, observer,
                              [remounted, completion](std::vector<std::string> later) {
                                  std::vector<std::string> all = *remounted;
                                  all.insert(all.end(), later.begin(), later.end());
                                  completion(std::move(all));
                              });
        });
    });
}

void ExternalDiskManager::settleRemountPass(const std::vector<std::string>& remounted,
                                            const std::vector<EjectedDiskInfo>& givenUp, std::uint64_t batchesBefore) {
    std::vector<EjectedDiskInfo> kept;
    for (const EjectedDiskInfo& disk : m_lastEjectedDisks) {
        const bool settled = std::find(remounted.begin(), remounted.end(), disk.url) != remounted.end() ||
                             std::any_of(givenUp.begin(), givenUp.end(),
                                         [&](const EjectedDiskInfo& gone) { return gone.url == disk.url; });
        // A batch that finished during the pass took the volume offline again after the pass had seen it back.
        if (!settled || m_batches.recordedSince(batchesBefore, disk.url))
            kept.push_back(disk);
    }
    setLastEjectedDisks(std::move(kept));
}

bool ExternalDiskManager::remountDisk(const EjectedDiskInfo& disk) {
    const std::string& storedIdentifier = disk.diskIdentifier;
    const std::optional<std::string> storedWholeDisk =
        storedIdentifier.empty() ? std::nullopt : wholeDiskIdentifier(storedIdentifier);

    if (auto [identifier, mounted] = locateVolume(disk.volumeName); identifier && mounted)
        return true;

    const bool storedIdentifierUsable = !storedIdentifier.empty() && storedIdentifier != "unknown";
    for (int n = 1; n <= 4; ++n) {
        if (n > 1)
            m_services.runtime.sleepFor(Seconds(2.0 * (n - 1)));
        const std::string number = std::to_string(n);

        auto [identifier, mounted] = locateVolume(disk.volumeName);
        if (identifier) {
            if (mounted)
                return true;
            if (runDiskutilMount("mount", *identifier, "volumeName attempt " + number, disk))
                return true;
            // The stored whole disk is tried below; trying the same one twice in an attempt gains nothing.
            auto currentWholeDisk = wholeDiskIdentifier(*identifier);
            if (currentWholeDisk && (!storedWholeDisk || *currentWholeDisk != *storedWholeDisk) &&
                runDiskutilMount("mountDisk", *currentWholeDisk, "volumeName wholeDisk attempt " + number, disk))
                return true;
        }
        if (storedIdentifierUsable &&
            runDiskutilMount("mount", storedIdentifier, "deviceIdentifier attempt " + number, disk))
            return true;
        if (storedWholeDisk && runDiskutilMount("mountDisk", *storedWholeDisk, "wholeDisk attempt " + number, disk))
            return true;
    }
    return false;
}

std::pair<std::optional<std::string>, bool> ExternalDiskManager::locateVolume(const std::string& name) {
    const Diskutil::Query list = diskutil().query({"list", "-plist"});
    if (!list.dictionary)
        return {std::nullopt, false};
    auto entries = dictionaries(find(*list.dictionary, "AllDisksAndPartitions"));
    if (!entries)
        return {std::nullopt, false};
    for (const PropertyDictionary* entry : *entries) {
        if (auto match = matchVolume(*entry, name))
            return *match;
        if (auto partitions = dictionaries(find(*entry, "Partitions"))) {
            for (const PropertyDictionary* partition : *partitions)
                if (auto match = matchVolume(*partition, name))
                    return *match;
        }
    }
    return {std::nullopt, false};
}

bool ExternalDiskManager::runDiskutilMount(const std::string& verb, const std::string& target, const std::string& label,
                                           const EjectedDiskInfo& disk) {
    const ProcessResult result = diskutil().run({verb, target}, Diskutil::Capture::error, mountTimeLimit);
    if (!result.started) {
        logError(LogCategory::disks(), "ERROR: Failed to run diskutil " + verb + " for " + disk.volumeName + " (" +
                                           label + "): " + result.errorDescription);
        return false;
    }
    if (result.exitStatus != 0 || result.timedOut)
        return false;

    // diskutil can report success before the volume shows up; give it a moment, and a second look when the
    // folder and diskutil disagree.
    m_services.runtime.sleepFor(Seconds(0.5));
    const bool folderExists = m_services.fileSystem.exists("/Volumes/" + disk.volumeName);
    const std::optional<bool> mounted = diskutil().mountState(disk.volumeName, target);
    if (!mounted || folderExists == *mounted)
        return mounted.value_or(false);
    m_services.runtime.sleepFor(Seconds(0.5));
    return diskutil().mountState(disk.volumeName, target).value_or(false);
}

// Allowlist and seen volumes.

void ExternalDiskManager::setVolume(const std::string& volumeId, bool included,
                                    std::optional<std::vector<std::string>> allVolumeIds) {
    m_allowlist.setVolume(volumeId, included, allVolumeIds);
    republishSelections();
}

void ExternalDiskManager::republishSelections() {
    m_services.runtime.mainAsync([weak = weak_from_this()] {
        if (auto self = weak.lock())
            emit self->cachedVolumeSelectionsChanged();
    });
}

bool ExternalDiskManager::isIncluded(const std::string& volumeId) const {
    return m_allowlist.allowlist().includes(volumeId);
}

} // namespace tallowmere
