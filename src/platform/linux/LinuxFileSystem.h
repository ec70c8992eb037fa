#pragma once

#include "platform/FileSystem.h"

namespace tallowmere {

// The real file system, with the volumes of the mount table under "/Volumes/NAME" as the logic expects them
// (MountedVolumes). Nothing is protected beyond what the file permissions say.
class LinuxFileSystem : public FileSystem {
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

    // Where a path the logic names is on this computer; a "/Volumes/…" path of no mounted volume stays as it
    // is, and so names nothing.
    static std::string hostPath(const std::string& path);
};

} // namespace tallowmere
