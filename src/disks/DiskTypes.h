#pragma once

#include "app/Preferences.h"

#include <optional>
#include <string>

namespace tallowmere {

// One selectable volume: its identifier, its name (the folder under /Volumes/) and its mount path.
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

// The last path component of a mount path ("/Volumes/My Passport" gives "My Passport").
std::string lastPathComponent(const std::string& path);

} // namespace tallowmere
