#pragma once

#include "platform/FileSystem.h"
#include "platform/SystemTools.h"

namespace tallowmere {

// The Mac's own file system: paths are what the logic names ("/Volumes/…", the home folder).
class MacFileSystem : public FileSystem {
public:
    std::optional<std::vector<std::string>> mountedVolumePaths() override;
    bool exists(const std::string& path) override;
    bool isDirectory(const std::string& path) override;
    bool isExecutableFile(const std::string& path) override;
    FileReadResult listDirectory(const std::string& path) override;
    FileReadResult readFile(const std::string& path) override;
    bool writeFileAtomically(const std::string& path, const std::string& bytes) override;
    bool moveItem(const std::string& from, const std::string& to) override;
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
