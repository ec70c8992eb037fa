#pragma once

#include "platform/HostFileSystem.h"
#include "platform/SystemTools.h"

namespace tallowmere {

// The Mac's own file system: paths are what the logic names ("/Volumes/…", the home folder).
class MacFileSystem : public HostFileSystem {
public:
    std::optional<std::vector<std::string>> mountedVolumePaths() override;
    std::string homeDirectory() override;
    std::optional<std::string> cachesDirectory() override;
};

// The system tools where macOS keeps them.
class MacSystemTools : public SystemTools {
public:
    std::string diskutil() const override { return "/usr/sbin/diskutil"; }
    std::string tmutil() const override { return "/usr/bin/tmutil"; }
    std::string pmset() const override { return "/usr/bin/pmset"; }
};

} // namespace tallowmere
