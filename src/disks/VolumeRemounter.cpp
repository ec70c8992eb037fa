#include "disks/VolumeRemounter.h"

#include "platform/Log.h"

#include <vector>

namespace tallowmere {
namespace {

// Each attempt looks for the volume again and tries every way to mount it; a drive spinning up gets the pauses
// between them (2, 4, then 6 s).
constexpr int attemptsPerPass = 4;
constexpr Seconds pausePerAttempt{2.0};
// diskutil can report a mount done before the volume shows up: it is looked at after this, and once more after
// the same again when the folder and diskutil disagree.
constexpr Seconds settleAfterMount{0.5};

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

std::optional<VolumeRemounter::Location> matchVolume(const PropertyDictionary& entry, const std::string& name) {
    const auto* volumeName = findAs<std::string>(entry, "VolumeName");
    const auto* identifier = findAs<std::string>(entry, "DeviceIdentifier");
    if (!volumeName || *volumeName != name || !identifier)
        return std::nullopt;
    const auto* mountPoint = findAs<std::string>(entry, "MountPoint");
    return VolumeRemounter::Location{*identifier, mountPoint && !mountPoint->empty()};
}

} // namespace

VolumeRemounter::VolumeRemounter(const DiskServices& services)
    : m_services(services) {}

Diskutil VolumeRemounter::diskutil() const {
    return Diskutil(m_services.processes, m_services.tools);
}

bool VolumeRemounter::remount(const EjectedDiskInfo& disk) const {
    const std::string& storedIdentifier = disk.diskIdentifier;
    const std::optional<std::string> storedWholeDisk =
        storedIdentifier.empty() ? std::nullopt : wholeDiskIdentifier(storedIdentifier);

    if (const Location location = locate(disk.volumeName); location.identifier && location.mounted)
        return true;

    const bool storedIdentifierUsable = !storedIdentifier.empty() && storedIdentifier != "unknown";
    for (int n = 1; n <= attemptsPerPass; ++n) {
        if (n > 1)
            m_services.runtime.sleepFor(pausePerAttempt * (n - 1));
        const std::string number = std::to_string(n);

        const Location location = locate(disk.volumeName);
        if (location.identifier) {
            if (location.mounted)
                return true;
            if (runMount("mount", *location.identifier, "volumeName attempt " + number, disk))
                return true;
            // The stored whole disk is tried below; trying the same one twice in an attempt gains nothing.
            auto currentWholeDisk = wholeDiskIdentifier(*location.identifier);
            if (currentWholeDisk && (!storedWholeDisk || *currentWholeDisk != *storedWholeDisk) &&
                runMount("mountDisk", *currentWholeDisk, "volumeName wholeDisk attempt " + number, disk))
                return true;
        }
        if (storedIdentifierUsable && runMount("mount", storedIdentifier, "deviceIdentifier attempt " + number, disk))
            return true;
        if (storedWholeDisk && runMount("mountDisk", *storedWholeDisk, "wholeDisk attempt " + number, disk))
            return true;
    }
    return false;
}

VolumeRemounter::Location VolumeRemounter::locate(const std::string& name) const {
    const Diskutil::Query list = diskutil().query({"list", "-plist"});
    if (!list.dictionary)
        return {};
    auto entries = dictionaries(find(*list.dictionary, "AllDisksAndPartitions"));
    if (!entries)
        return {};
    for (const PropertyDictionary* entry : *entries) {
        if (auto match = matchVolume(*entry, name))
            return *match;
        if (auto partitions = dictionaries(find(*entry, "Partitions"))) {
            for (const PropertyDictionary* partition : *partitions)
                if (auto match = matchVolume(*partition, name))
                    return *match;
        }
    }
    return {};
}

bool VolumeRemounter::runMount(const std::string& verb, const std::string& target, const std::string& label,
                               const EjectedDiskInfo& disk) const {
    const ProcessResult result = diskutil().run({verb, target}, Diskutil::Capture::error, mountTimeLimit);
    if (!result.started) {
        logError(LogCategory::disks(), "ERROR: Failed to run diskutil " + verb + " for " + disk.volumeName + " (" +
                                           label + "): " + result.errorDescription);
        return false;
    }
    if (result.exitStatus != 0 || result.timedOut)
        return false;

    m_services.runtime.sleepFor(settleAfterMount);
    const bool folderExists = m_services.fileSystem.exists("/Volumes/" + disk.volumeName);
    const std::optional<bool> mounted = diskutil().mountState(disk.volumeName, target);
    if (!mounted || folderExists == *mounted)
        return mounted.value_or(false);
    m_services.runtime.sleepFor(settleAfterMount);
    return diskutil().mountState(disk.volumeName, target).value_or(false);
}

} // namespace tallowmere
