#pragma once

#include "platform/FileSystem.h"

#include <map>
#include <mutex>
#include <set>

namespace tallowmere::test {

// An in-memory file system: files with contents, folders with entry names, executables, scripted read failures
// and the list of mounted volumes. A read of something absent fails with code 260 (256 for the wrong kind).
class FakeFileSystem : public FileSystem {
public:
    void setMountedVolumePaths(std::optional<std::vector<std::string>> paths) {
        std::lock_guard lock(m_mutex);
        m_mounted = std::move(paths);
    }
    void addFile(const std::string& path, std::string contents = {}) {
        std::lock_guard lock(m_mutex);
        m_files[path] = std::move(contents);
    }
    void addDirectory(const std::string& path, std::vector<std::string> entries = {}) {
        std::lock_guard lock(m_mutex);
        m_directories[path] = std::move(entries);
    }
    void remove(const std::string& path) {
        std::lock_guard lock(m_mutex);
        m_files.erase(path);
        m_directories.erase(path);
    }
    void setExecutable(const std::string& path) {
        std::lock_guard lock(m_mutex);
        m_executables.insert(path);
        m_files.try_emplace(path);
    }
    void setReadFailure(const std::string& path, std::int64_t code, std::string domain = "NSCocoaErrorDomain") {
        std::lock_guard lock(m_mutex);
        m_failures[path] = {false, code, std::move(domain), {}, {}};
    }

    // Where a volume is mounted when that is not its own path, as on Linux.
    void setMountPoint(const std::string& volumePath, std::string mountPoint) {
        std::lock_guard lock(m_mutex);
        m_mountPoints[volumePath] = std::move(mountPoint);
    }
    std::string mountPoint(const std::string& volumePath) override {
        std::lock_guard lock(m_mutex);
        auto found = m_mountPoints.find(volumePath);
        return found == m_mountPoints.end() ? volumePath : found->second;
    }
    std::optional<std::vector<std::string>> mountedVolumePaths() override {
        std::lock_guard lock(m_mutex);
        return m_mounted;
    }
    bool exists(const std::string& path) override {
        std::lock_guard lock(m_mutex);
        return m_files.contains(path) || m_directories.contains(path);
    }
    bool isDirectory(const std::string& path) override {
        std::lock_guard lock(m_mutex);
        return m_directories.contains(path);
    }
    bool isExecutableFile(const std::string& path) override {
        std::lock_guard lock(m_mutex);
        return m_executables.contains(path);
    }
    FileReadResult listDirectory(const std::string& path) override { return read(path, true); }
    FileReadResult readFile(const std::string& path) override { return read(path, false); }
    bool writeFileAtomically(const std::string& path, const std::string& bytes) override {
        addFile(path, bytes);
        return true;
    }
    bool moveItem(const std::string&, const std::string&) override { return false; } // only the analytics cache moves
    std::string homeDirectory() override { return "/Users/tester"; }
    std::optional<std::string> cachesDirectory() override { return "/Users/tester/Library/Caches"; }

private:
    FileReadResult read(const std::string& path, bool directory) {
        std::lock_guard lock(m_mutex);
        if (m_failures.contains(path))
            return m_failures.at(path);
        if (directory && m_directories.contains(path))
            return {true, 0, {}, m_directories.at(path), {}};
        if (!directory && m_files.contains(path))
            return {true, 0, {}, {}, m_files.at(path)};
        const bool otherKind = directory ? m_files.contains(path) : m_directories.contains(path);
        return {false, otherKind ? 256 : 260, "NSCocoaErrorDomain", {}, {}};
    }

    std::mutex m_mutex;
    std::optional<std::vector<std::string>> m_mounted = std::vector<std::string>{"/"};
    std::map<std::string, std::string> m_mountPoints;
    std::map<std::string, std::string> m_files;
    std::map<std::string, std::vector<std::string>> m_directories;
    std::set<std::string> m_executables;
    std::map<std::string, FileReadResult> m_failures;
};

} // namespace tallowmere::test
