#include "disks/ExternalDiskManager.h"

#include "base/Preferences.h"
#include "disks/VolumeClassifier.h"
#include "platform/Log.h"

#include <algorithm>
#include <mutex>

namespace tallowmere {
namespace {

// Whether the status text names the volume's path itself, not a longer one that starts the same
// ("/Volumes/Backup" must not match a backup to "/Volumes/Backup 2").
bool mentionsVolumePath(const std::string& text, const std::string& path) {
    for (size_t at = text.find(path); at != std::string::npos; at = text.find(path, at + 1)) {
        size_t next = at + path.size();
        if (next == text.size() || std::string_view("\";/\r\n").find(text[next]) != std::string_view::npos)
            return true;
    }
    return false;
}

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
    , m_allowlist(services.preferences) {
    // No operation uses the session; it is there from the start, as on the Mac.
    m_services.diskArbitration.createSession();
}

ExternalDiskManager::~ExternalDiskManager() = default;

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

void ExternalDiskManager::setCachedVolumeSelections(std::vector<VolumeSelection> selections) {
    m_cachedVolumeSelections = std::move(selections);
    emit cachedVolumeSelectionsChanged();
}

Diskutil ExternalDiskManager::diskutil() const {
    return Diskutil(m_services.processes, m_services.tools);
}

// Discovery and classification.

std::vector<std::string> ExternalDiskManager::externalVolumeURLs(const std::vector<DiskType>& types) {
    std::vector<std::string> urls;
    for (const EligibleVolume& volume : eligibleVolumes(types))
        urls.push_back(volume.url);
    return urls;
}

std::vector<ExternalDiskManager::EligibleVolume>
ExternalDiskManager::eligibleVolumes(const std::vector<DiskType>& types, int* unanswered) {
    auto mounted = m_services.fileSystem.mountedVolumePaths();
    if (!mounted || mounted->empty())
        return {};

    struct Found {
        std::mutex lock;
        std::vector<EligibleVolume> volumes;
        int unanswered = 0;
    };
    auto found = std::make_shared<Found>();
    auto wanted = std::make_shared<const std::vector<DiskType>>(types);
    auto queue = m_services.runtime.makeConcurrentQueue("com.tallowmere.diskdetection");
    auto group = m_services.runtime.makeGroup();
    for (const std::string& url : *mounted) {
        if (!url.starts_with("/Volumes/"))
            continue;
        group->enter();
        queue->async([weak = weak_from_this(), url, wanted, found, group] {
            if (auto self = weak.lock()) {
                std::string identifier;
                bool answered = true;
                const VolumeClassification classification = self->classify(url, identifier, &answered);
                std::lock_guard lock(found->lock);
                found->unanswered += answered ? 0 : 1;
                if (classification.eligible && classification.kind &&
                    std::find(wanted->begin(), wanted->end(), *classification.kind) != wanted->end())
                    found->volumes.push_back({url, identifier});
            }
            group->leave();
        });
    }
    group->wait();
    std::lock_guard lock(found->lock);
    if (unanswered)
        *unanswered = found->unanswered;
    return found->volumes;
}

std::vector<VolumeSelection> ExternalDiskManager::volumeSelections(const std::vector<DiskType>& types) {
    // The classification's answer already names the device: asking diskutil again would only repeat it.
    std::vector<VolumeSelection> selections;
    for (const EligibleVolume& volume : eligibleVolumes(types))
        selections.push_back({volume.id(), lastPathComponent(volume.url), volume.url});
    return selections;
}

// Every mount change asks for a refresh, so a batch of unmounts asks for many at once. They run one at a time, and
// not while a batch takes volumes offline (their diskutil runs would compete with it for the processors): requests
// made meanwhile become a single one afterwards, which sees the state after the burst.
void ExternalDiskManager::refreshVolumeSelections(const std::vector<DiskType>& types) {
    {
        std::lock_guard lock(m_refreshLock);
        if (m_isRefreshing || m_batchesRunning > 0) {
            m_pendingRefresh = types;
            return;
        }
        m_isRefreshing = true;
    }
    startRefresh(types);
}

void ExternalDiskManager::startRefresh(std::vector<DiskType> types) {
    Runtime& runtime = m_services.runtime;
    runtime.globalAsync(QoS::Utility, [weak = weak_from_this(), &runtime, types = std::move(types)] {
        auto self = weak.lock();
        if (!self)
            return;
        std::vector<VolumeSelection> selections = self->volumeSelections(types);
        std::vector<std::string> ids;
        for (const VolumeSelection& selection : selections)
            ids.push_back(selection.id);
        if (self->m_allowlist.recordSeenVolumes(ids))
            self->republishSelections();
        // Queued before the next refresh starts, so lists are published in the order they were taken.
        runtime.mainAsync([weak, selections = std::move(selections)]() mutable {
            if (auto self = weak.lock())
                self->setCachedVolumeSelections(std::move(selections));
        });
        self->refreshFinished();
    });
}

void ExternalDiskManager::refreshFinished() {
    std::optional<std::vector<DiskType>> next;
    {
        std::lock_guard lock(m_refreshLock);
        if (m_batchesRunning == 0)
            next.swap(m_pendingRefresh);
        m_isRefreshing = next.has_value();
    }
    if (next)
        startRefresh(std::move(*next));
}

bool ExternalDiskManager::isTakingVolumesOffline() const {
    std::lock_guard lock(m_refreshLock);
    return m_batchesRunning > 0;
}

void ExternalDiskManager::batchStarted() {
    std::lock_guard lock(m_refreshLock);
    ++m_batchesRunning;
}

void ExternalDiskManager::batchFinished() {
    std::optional<std::vector<DiskType>> next;
    {
        std::lock_guard lock(m_refreshLock);
        --m_batchesRunning;
        if (!m_isRefreshing && m_batchesRunning == 0) {
            next.swap(m_pendingRefresh);
            m_isRefreshing = next.has_value();
        }
    }
    if (next)
        startRefresh(std::move(*next));
}

VolumeClassification ExternalDiskManager::classifyVolume(const std::string& url) {
    std::string identifier;
    return classify(url, identifier);
}

VolumeClassification ExternalDiskManager::classify(const std::string& url, std::string& identifier, bool* answered) {
    if (VolumeClassifier::isExcludedByLocation(url))
        return {};
    Diskutil::Query info = diskutil().info(url);
    if (answered)
        *answered = info.process.started && !info.process.timedOut;
    if (!info.dictionary)
        return {};
    if (const auto* device = findAs<std::string>(*info.dictionary, "DeviceIdentifier"))
        identifier = *device;
    return VolumeClassifier::classify(url, *info.dictionary);
}

std::optional<std::string> ExternalDiskManager::resolveDeviceIdentifier(const std::string& url) {
    Diskutil::Query info = diskutil().info(url);
    if (!info.process.started) {
        logError(LogCategory::disks(), "Error getting disk identifier: " + info.process.errorDescription);
        return std::nullopt;
    }
    const auto* identifier = info.dictionary ? findAs<std::string>(*info.dictionary, "DeviceIdentifier") : nullptr;
    if (!identifier)
        return std::nullopt;
    logDebug(LogCategory::disks(), "DEBUG: Resolved volume identifier for " + url + ": " + *identifier);
    return *identifier;
}

// Eject and unmount.

void ExternalDiskManager::ejectVolume(const std::string& url, EjectOptions options, EjectCompletion completion) {
    takeOffline(url, options.force, {}, nullptr, std::move(completion));
}

void ExternalDiskManager::takeOffline(const std::string& url, bool force, const std::string& knownIdentifier,
                                      std::shared_ptr<const BatchContext> batch, EjectCompletion completion) {
    Runtime& runtime = m_services.runtime;
    const std::string name = lastPathComponent(url);
    std::optional<std::string> resolved;
    if (!knownIdentifier.empty())
        resolved = knownIdentifier;
    else
        resolved = resolveDeviceIdentifier(url);
    if (!resolved || resolved->empty()) {
        // A volume that has only just appeared may not be registered yet.
        runtime.sleepFor(Seconds(0.1));
        resolved = resolveDeviceIdentifier(url);
    }
    const std::string identifier = resolved.value_or(std::string());
    const bool unmount = force || boolPreference(m_services.preferences, PreferenceKey::unmountInsteadOfEject);

    runtime.globalAsync(QoS::Utility, [weak = weak_from_this(), &runtime, url, name, identifier, force, unmount,
                                       batch = std::move(batch), completion = std::move(completion)]() mutable {
        auto self = weak.lock();
        if (!self) {
            // The caller (a batch's group, for one) still waits for its one answer.
            runtime.mainAsync([completion] {
                if (completion)
                    completion(false, std::nullopt);
            });
            return;
        }
        const bool stoppedBackup =
            batch ? self->stopBackupTo(batch->backup, url) : self->stopTimeMachineBackupIfRunning(url);
        runtime.sleepFor(Seconds(stoppedBackup ? 1.5 : 0.5));
        if (batch)
            batch->listed->wait();
        if (unmount)
            self->runUnmountPath(url, name, identifier, force, std::move(completion));
        else
            self->runEjectPath(url, name, identifier, std::move(completion));
    });
}

void ExternalDiskManager::runEjectPath(const std::string& url, const std::string& name, const std::string& identifier,
                                       EjectCompletion completion) {
    Runtime& runtime = m_services.runtime;
    auto finish = [&runtime, &completion](bool offline, std::optional<EjectedDiskInfo> record) {
        runtime.mainAsync([completion = std::move(completion), offline, record = std::move(record)] {
            if (completion)
                completion(offline, record);
        });
    };

    bool timedOut = false;
    if (unmountAndEjectWithinLimit(url, timedOut) && !timedOut) {
        finish(false, std::nullopt);
        return;
    }
    runtime.sleepFor(Seconds(1.5));
    const bool pathExists = m_services.fileSystem.exists(url);
    const std::optional<bool> mounted = mountState(name, identifier);
    const bool offline = !pathExists && mounted == false;
    // An eject given up may still finish, and a look that ran out of time proves nothing: the volume keeps its
    // record either way.
    if (offline || timedOut || (!pathExists && !mounted.has_value()))
        finish(offline, EjectedDiskInfo{url, identifier.empty() ? "unknown" : identifier, name});
    else
        finish(false, std::nullopt);
}

std::optional<std::string> ExternalDiskManager::unmountAndEjectWithinLimit(const std::string& url, bool& timedOut) {
    // The workspace's eject cannot be interrupted: it runs on a thread of its own, which is left to finish by itself
    // when the limit passes first.
    struct Outcome {
        std::optional<std::string> error;
    };
    auto outcome = std::make_shared<Outcome>();
    std::shared_ptr<Semaphore> done = m_services.runtime.makeSemaphore(0);
    m_services.runtime.globalAsync(QoS::Utility, [&workspace = m_services.workspace, url, outcome, done] {
        outcome->error = workspace.unmountAndEjectDevice(url);
        done->signal();
    });
    timedOut = !done->wait(offlineTimeLimit);
    if (timedOut)
        return "The volume did not eject within its time limit.";
    return outcome->error;
}

void ExternalDiskManager::runUnmountPath(const std::string& url, const std::string& name, const std::string& identifier,
                                         bool force, EjectCompletion completion) {
    Runtime& runtime = m_services.runtime;
    ProcessResult unmount = runUnmount(url, "mountPath", force, name);
    // A drive that did not answer in time will not answer to its identifier either.
    if (!unmount.succeeded() && !unmount.timedOut && !identifier.empty())
        unmount = runUnmount(identifier, "deviceIdentifier", force, name);
    const bool unmounted = unmount.succeeded() && !unmount.timedOut;

    // An unmount that ran out of time may still finish, and a look that ran out of time proves nothing: either way
    // the volume keeps its record, so that it comes back, but only one seen offline counts as taken offline.
    std::optional<EjectedDiskInfo> record;
    bool offline = false;
    if (unmounted || unmount.timedOut) {
        const std::optional<bool> mounted = mountState(name, identifier);
        offline = mounted == false;
        if (offline || unmount.timedOut || !mounted.has_value())
            record = EjectedDiskInfo{url, identifier, name};
    }
    runtime.mainAsync([completion = std::move(completion), offline, record = std::move(record)] {
        if (completion)
            completion(offline, record);
    });
}

void ExternalDiskManager::ejectExternalDisks(const std::vector<DiskType>& types, EjectOptions options,
                                             URLsCompletion completion, UnansweredHandler unanswered) {
    const bool force = options.force;
    batchStarted();
    // Whether a backup runs does not depend on the volume: asked once, while the volumes are classified.
    auto batch = std::make_shared<BatchContext>();
    std::shared_ptr<Semaphore> backupRead = m_services.runtime.makeSemaphore(0);
    m_services.runtime.globalAsync(QoS::UserInitiated, [weak = weak_from_this(), batch, backupRead] {
        if (auto self = weak.lock())
            batch->backup = self->runningBackupStatus();
        backupRead->signal();
    });

    int unansweredVolumes = 0;
    std::vector<EligibleVolume> volumes = eligibleVolumes(types, &unansweredVolumes);
    if (options.onlyAllowed) {
        const Allowlist allowlist = m_allowlist.allowlist();
        std::erase_if(volumes, [&](const EligibleVolume& volume) { return !allowlist.includes(volume.id()); });
    }
    backupRead->wait();
    if (volumes.empty()) {
        // The volumes diskutil did not answer about may be the very ones to protect: that is a failure, not nothing
        // to do.
        if (unansweredVolumes > 0) {
            logError(LogCategory::disks(),
                     "ERROR: No external disks were taken offline: diskutil did not answer about " +
                         std::to_string(unansweredVolumes) + (unansweredVolumes == 1 ? " volume" : " volumes"));
            if (unanswered)
                unanswered(unansweredVolumes);
        } else {
            logDebug(LogCategory::disks(), "DEBUG: No external disks to eject");
        }
        batchFinished();
        if (completion)
            completion({});
        return;
    }

    // On the remount list before anything goes offline, so that a process that ends in the middle leaves them there;
    // the write overlaps the fixed wait before each unmount.
    std::vector<EjectedDiskInfo> inFlight;
    for (const EligibleVolume& volume : volumes)
        inFlight.push_back({volume.url, {}, lastPathComponent(volume.url)});
    batch->listed = m_remountList.addInFlight(inFlight);

    auto group = m_services.runtime.makeGroup();
    auto records = std::make_shared<std::vector<EjectedDiskInfo>>();
    auto ejected = std::make_shared<std::vector<std::string>>();
    for (const EligibleVolume& volume : volumes) {
        group->enter();
        // Each volume on a thread of its own: one that does not answer holds up no other.
        m_services.runtime.globalAsync(
            QoS::UserInitiated, [weak = weak_from_this(), volume, force, batch, group, records, ejected] {
                auto self = weak.lock();
                if (!self) {
                    group->leave();
                    return;
                }
                self->takeOffline(volume.url, force, volume.identifier, batch,
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
    group->notifyMain([weak = weak_from_this(), records, ejected, inFlight, completion = std::move(completion)] {
        if (auto self = weak.lock()) {
            self->finishBatch(*records, inFlight);
            self->batchFinished();
        }
        if (completion)
            completion(*ejected);
    });
}

void ExternalDiskManager::finishBatch(std::vector<EjectedDiskInfo> records,
                                      const std::vector<EjectedDiskInfo>& inFlight) {
    // A lock's eject followed by a sleep's must bring both sets back: the earlier records stay while their volumes
    // are offline, and are replaced by this batch's record of the same volume.
    std::vector<EjectedDiskInfo> kept;
    const auto mounted = m_services.fileSystem.mountedVolumePaths();
    for (const EjectedDiskInfo& earlier : m_lastEjectedDisks) {
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
    publishLastEjectedDisks(std::move(kept), inFlight);
}

bool ExternalDiskManager::stopTimeMachineBackupIfRunning(const std::string& volumePath) {
    return stopBackupTo(runningBackupStatus(), volumePath);
}

ExternalDiskManager::BackupStatus ExternalDiskManager::runningBackupStatus() {
    const std::string tmutil = m_services.tools.tmutil();
    if (!m_services.fileSystem.isExecutableFile(tmutil))
        return std::nullopt;
    ProcessRequest statusRequest(tmutil, {"status"});
    statusRequest.timeLimit = queryTimeLimit;
    ProcessResult status = m_services.processes.run(statusRequest);
    if (!status.succeeded() || status.timedOut || !isValidUtf8(status.standardOutput) ||
        status.standardOutput.find("Running = 1") == std::string::npos)
        return std::nullopt;
    return std::move(status.standardOutput);
}

bool ExternalDiskManager::stopBackupTo(const BackupStatus& status, const std::string& volumePath) {
    if (!status || !mentionsVolumePath(*status, volumePath))
        return false;
    ProcessRequest stopRequest(m_services.tools.tmutil(), {"stopbackup"});
    stopRequest.captureStandardOutput = false;
    stopRequest.timeLimit = offlineTimeLimit;
    const ProcessResult stop = m_services.processes.run(stopRequest);
    return stop.succeeded() && !stop.timedOut;
}

ProcessResult ExternalDiskManager::runUnmount(const std::string& target, const std::string& label, bool force,
                                              const std::string& volumeName) {
    std::vector<std::string> arguments{"unmount"};
    if (force)
        arguments.push_back("force");
    arguments.push_back(target);
    ProcessResult result = diskutil().run(std::move(arguments), true, true, offlineTimeLimit);
    if (!result.started)
        logError(LogCategory::disks(), "ERROR: Failed to run diskutil unmount for " + volumeName + " (" + label +
                                           "): " + result.errorDescription);
    return result;
}

bool ExternalDiskManager::isVolumeMounted(const std::string& volumeName, const std::string& deviceIdentifier) {
    return mountState(volumeName, deviceIdentifier).value_or(true);
}

std::optional<bool> ExternalDiskManager::mountState(const std::string& volumeName,
                                                    const std::string& deviceIdentifier) {
    // diskutil reads a volume name that looks like a device identifier ("disk4s1") as that identifier, so each
    // answer must be about the volume asked for: its name, or its identifier.
    std::vector<std::pair<std::string, const char*>> candidates{{volumeName, "VolumeName"}};
    if (!deviceIdentifier.empty())
        candidates.emplace_back(deviceIdentifier, "DeviceIdentifier");
    for (const auto& [candidate, key] : candidates) {
        Diskutil::Query info = diskutil().info(candidate);
        if (info.process.timedOut)
            return std::nullopt;
        if (!info.dictionary)
            continue;
        if (const auto* answeredFor = findAs<std::string>(*info.dictionary, key);
            answeredFor && *answeredFor != candidate)
            continue;
        if (const auto* mountPoint = findAs<std::string>(*info.dictionary, "MountPoint"))
            return !mountPoint->empty();
    }
    return false;
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
    const std::uint64_t batchesBefore = m_batchesFinished;

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
        const auto recorded = m_recordedInBatch.find(disk.url);
        const bool offlineAgain = recorded != m_recordedInBatch.end() && recorded->second > batchesBefore;
        if (!settled || offlineAgain)
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
    const ProcessResult result = diskutil().run({verb, target}, false, true, mountTimeLimit);
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
    const std::optional<bool> mounted = mountState(disk.volumeName, target);
    if (!mounted || folderExists == *mounted)
        return mounted.value_or(false);
    m_services.runtime.sleepFor(Seconds(0.5));
    return mountState(disk.volumeName, target).value_or(false);
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
