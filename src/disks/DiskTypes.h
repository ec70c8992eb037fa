#pragma once

#include "base/Preferences.h"

#include <optional>
#include <string>
#include <vector>

namespace tallowmere {

// One selectable volume: its identifier, its name (the folder under /Volumes/) and its mount path as the user knows
// it (FileSystem::mountPoint).
struct VolumeSelection {
    std::string id;
    std::string name;
    std::string path;
    bool operator==(const VolumeSelection&) const = default;
};

// One volume taken offline. `url` is the mount path the volume had ("/Volumes/NAME").
struct EjectedDiskInfo {
    std::string url;
    std::string diskIdentifier;
    std::string volumeName;
    bool operator==(const EjectedDiskInfo&) const = default;
};

struct VolumeClassification {
    bool eligible = false;
    std::optional<DiskType> kind;
    bool operator==(const VolumeClassification&) const = default;
};

// The last path component of a mount path ("/Volumes/My Passport" gives "My Passport"); trailing slashes
// are ignored and "/" is its own last component.
std::string lastPathComponent(const std::string& path);

// The volumes' names as notifications and status texts give them: last path components joined with ", ".
std::string joinedVolumeNames(const std::vector<std::string>& urls);
// The same in alphabetical order, as log lines give them, and "none" for no volume.
std::string sortedVolumeNames(const std::vector<std::string>& urls);
std::string sortedVolumeNames(const std::vector<EjectedDiskInfo>& disks);

// The whole disk a device identifier belongs to ("disk4s2" gives "disk4"); nothing for an empty or "unknown"
// identifier or one that does not start with "disk" and a number.
std::optional<std::string> wholeDiskIdentifier(const std::string& deviceIdentifier);

} // namespace tallowmere
