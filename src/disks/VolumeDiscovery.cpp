#include "disks/VolumeDiscovery.h"

#include "disks/VolumeClassifier.h"
#include "platform/Log.h"

#include <algorithm>
#include <mutex>

namespace tallowmere {

VolumeDiscovery::VolumeDiscovery(const DiskServices& services)
    : m_services(services) {}

Diskutil VolumeDiscovery::diskutil() const {
    return Diskutil(m_services.processes, m_services.tools);
}

EligibleVolumes VolumeDiscovery::eligibleVolumes(const std::vector<DiskType>& types) const {
    auto mounted = m_services.fileSystem.mountedVolumePaths();
    if (!mounted || mounted->empty())
        return {};

    struct Found {
        std::mutex lock;
        EligibleVolumes eligible;
    };
    auto found = std::make_shared<Found>();
    auto wanted = std::make_shared<const std::vector<DiskType>>(types);
    auto queue = m_services.runtime.makeConcurrentQueue("com.tallowmere.diskdetection");
    auto group = m_services.runtime.makeGroup();
    for (const std::string& url : *mounted) {
        if (!url.starts_with("/Volumes/"))
            continue;
        group->enter();
        // `this` outlives the task: the wait below returns only after every task has left the group.
        queue->async([this, url, wanted, found, group] {
            const Classified classified = classify(url);
            const std::optional<DiskType> kind = classified.classification.kind;
            {
                std::lock_guard lock(found->lock);
                found->eligible.unanswered += classified.answered ? 0 : 1;
                if (classified.classification.eligible && kind &&
                    std::find(wanted->begin(), wanted->end(), *kind) != wanted->end())
                    found->eligible.volumes.push_back({url, classified.identifier});
            }
            group->leave();
        });
    }
    group->wait();
    std::lock_guard lock(found->lock);
    return found->eligible;
}

std::vector<VolumeSelection> VolumeDiscovery::volumeSelections(const std::vector<DiskType>& types) const {
    std::vector<VolumeSelection> selections;
    for (const EligibleVolume& volume : eligibleVolumes(types).volumes)
        selections.push_back({volume.id(), volume.name(), m_services.fileSystem.mountPoint(volume.url)});
    return selections;
}

VolumeClassification VolumeDiscovery::classifyVolume(const std::string& url) const {
    return classify(url).classification;
}

VolumeDiscovery::Classified VolumeDiscovery::classify(const std::string& url) const {
    if (VolumeClassifier::isExcludedByLocation(url))
        return {};
    Diskutil::Query info = diskutil().info(url);
    Classified classified;
    classified.answered = info.process.started && !info.process.timedOut;
    if (!info.dictionary)
        return classified;
    if (const auto* device = findAs<std::string>(*info.dictionary, "DeviceIdentifier"))
        classified.identifier = *device;
    classified.classification = VolumeClassifier::classify(url, *info.dictionary);
    return classified;
}

std::optional<std::string> VolumeDiscovery::resolveDeviceIdentifier(const std::string& url) const {
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

} // namespace tallowmere
