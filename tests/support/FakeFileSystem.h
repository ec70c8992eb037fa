#pragma once

#include "platform/FileSystem.h"

#include <map>
#include <mutex>
#include <set>

namespace tallowmere::test {

// An in-memory file system: files with contents, folders with entry names, executables, scripted read failures
// and the list of mounted volumes. A read of something absent fails with code 260 in NSCocoaErrorDomain.
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
    void setExecutable(const std::string& path, bool executable = true) {
        std::lock_guard lock(m_mutex);
        if (executable) {
            m_executables.insert(path);
            m_files.try_emplace(path);
        } else {
            m_executables.erase(path);
        }
    }
    void setReadFailure(const std::string& path, std::int64_t code, std::string domain = "NSCocoaErrorDomain") {
        std::lock_guard lock(m_mutex);
        m_failures[path] = {code, std::move(domain)};
    }
    void setHomeDirectory(std::string path) {
        std::lock_guard lock(m_mutex);
        m_home = std::move(path);
    }
    std::optional<std::string> contentsOf(const std::string& path) const {
        std::lock_guard lock(m_mutex);
        auto it = m_files.find(path);
        return it == m_files.end() ? std::nullopt : std::optional<std::string>(it->second);
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
    FileReadResult listDirectory(const std::string& path) override {
        std::lock_guard lock(m_mutex);
        FileReadResult result;
        if (failLocked(path, result))
            return result;
        if (auto it = m_directories.find(path); it != m_directories.end()) {
            result.ok = true;
            result.entries = it->second;
            return result;
        }
        return missing(m_files.contains(path) ? 256 : 260);
    }
    FileReadResult readFile(const std::string& path) override {
        std::lock_guard lock(m_mutex);
        FileReadResult result;
        if (failLocked(path, result))
            return result;
        if (auto it = m_files.find(path); it != m_files.end()) {
            result.ok = true;
            result.contents = it->second;
            return result;
        }
        return missing(m_directories.contains(path) ? 256 : 260);
    }
    bool writeFileAtomically(const std::string& path, const std::string& bytes) override {
        std::lock_guard lock(m_mutex);
        m_files[path] = bytes;
        return true;
    }
    bool moveItem(const std::string& from, const std::string& to) override {
        std::lock_guard lock(m_mutex);
        auto it = m_files.find(from);
        if (it == m_files.end() || m_files.contains(to) || m_directories.contains(to))
            return false;
        m_files[to] = std::move(it->second);
        m_files.erase(from);
        return true;
    }
    std::string homeDirectory() override {
        std::lock_guard lock(m_mutex);
        return m_home;
    }
    std::optional<std::string> cachesDirectory() override {
        std::lock_guard lock(m_mutex);
        return m_home + "/Library/Caches";
    }

private:
    struct Failure {
        std::int64_t code;
        std::string domain;
    };
    bool failLocked(const std::string& path, FileReadResult& result) const {
        auto it = m_failures.find(path);
        if (it == m_failures.end())
            return false;
        result.errorCode = it->second.code;
        result.errorDomain = it->second.domain;
        return true;
    }
    static FileReadResult missing(std::int64_t code) {
        FileReadResult result;
        result.errorCode = code;
        result.errorDomain = "NSCocoaErrorDomain";
        return result;
    }

    mutable std::mutex m_mutex;
    std::optional<std::vector<std::string>> m_mounted = std::vector<std::string>{"/"};
    std::map<std::string, std::string> m_files;
    std::map<std::string, std::vector<std::string>> m_directories;
    std::set<std::string> m_executables;
    std::map<std::string, Failure> m_failures;
    std::string m_home = "/Users/tester";
};

} // namespace tallowmere::test
