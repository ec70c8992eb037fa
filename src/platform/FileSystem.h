#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tallowmere {

// Outcome of reading a folder (its entry names) or a file (its bytes); on failure the platform's error
// code and domain.
struct FileReadResult {
    bool ok = false;
    std::int64_t errorCode = 0;
    std::string errorDomain;
    std::vector<std::string> entries;
    std::string contents;
};

// The file-system facts the logic reads. Paths are the platform's own ("/Volumes/…", the home folder).
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Mount paths of the mounted volumes ("/", "/Volumes/NAME", …); nothing when the list is unavailable.
    virtual std::optional<std::vector<std::string>> mountedVolumePaths() = 0;
    // Where the volume the logic names ("/Volumes/NAME") is mounted as the user knows it; the path itself where the
    // two are one, as on a Mac.
    virtual std::string mountPoint(const std::string& volumePath) { return volumePath; }
    virtual bool exists(const std::string& path) = 0;
    virtual bool isDirectory(const std::string& path) = 0;
    virtual bool isExecutableFile(const std::string& path) = 0;
    virtual FileReadResult listDirectory(const std::string& path) = 0;
    virtual FileReadResult readFile(const std::string& path) = 0;
    // Replaces the file (creating missing folders) so that a crash never leaves it half written.
    virtual bool writeFileAtomically(const std::string& path, const std::string& bytes) = 0;
    // Renames a file; fails when something is already at `to`.
    virtual bool moveItem(const std::string& from, const std::string& to) = 0;
    virtual std::string homeDirectory() = 0;
    // The user's caches folder; nothing when it cannot be resolved.
    virtual std::optional<std::string> cachesDirectory() = 0;
};

} // namespace tallowmere
