#pragma once

#include "platform/FileSystem.h"

namespace tallowmere {

// The real file system, with the volumes of the mount table under "/Volumes/NAME" as the logic expects them
// (MountedVolumes). Errors carry the platform's codes the logic tests: "no permission" 257, "no such file"
// 260. Nothing is protected beyond what the file permissions say.
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

    static constexpr std::int64_t noPermissionError = 257; // NSFileReadNoPermissionError
    static constexpr std::int64_t noSuchFileError = 260;   // NSFileReadNoSuchFileError
    static constexpr std::int64_t unknownReadError = 256;  // NSFileReadUnknownError
    static constexpr const char* errorDomain = "NSCocoaErrorDomain";
};

} // namespace tallowmere
