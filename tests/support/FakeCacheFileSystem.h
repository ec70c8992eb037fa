#pragma once

#include "platform/FileSystem.h"

#include <atomic>
#include <map>
#include <mutex>

namespace tallowmere::test {

// Files in memory, enough for code that keeps files in the user's caches folder. Writes replace a file as a
// whole or not at all, like the real atomic write; `failWrites` makes them fail and leave the old content.
class FakeCacheFileSystem : public FileSystem {
public:
    void setFile(const std::string& path, std::string contents) {
        std::lock_guard lock(m_mutex);
        m_files[path] = std::move(contents);
    }
    std::optional<std::string> file(const std::string& path) const {
        std::lock_guard lock(m_mutex);
        auto it = m_files.find(path);
        return it == m_files.end() ? std::nullopt : std::optional(it->second);
    }

    std::optional<std::vector<std::string>> mountedVolumePaths() override { return std::vector<std::string>{"/"}; }
    bool exists(const std::string& path) override { return file(path).has_value(); }
    bool isDirectory(const std::string& path) override { return path == *cachesDirectory(); }
    bool isExecutableFile(const std::string&) override { return false; }
    FileReadResult listDirectory(const std::string&) override { return {}; }
    FileReadResult readFile(const std::string& path) override {
        if (auto contents = file(path))
            return {true, 0, {}, {}, *contents};
        return {false, 260, "NSCocoaErrorDomain", {}, {}}; // NSFileReadNoSuchFileError
    }
    bool writeFileAtomically(const std::string& path, const std::string& bytes) override {
        std::lock_guard lock(m_mutex);
        if (failWrites)
            return false;
        ++writes;
        m_files[path] = bytes;
        return true;
    }
    bool moveItem(const std::string& from, const std::string& to) override {
        std::lock_guard lock(m_mutex);
        auto it = m_files.find(from);
        if (it == m_files.end() || m_files.contains(to))
            return false;
        m_files[to] = std::move(it->second);
        m_files.erase(from);
        return true;
    }
    // Every file name, for telling what was kept beside a file.
    std::vector<std::string> paths() const {
        std::lock_guard lock(m_mutex);
        std::vector<std::string> names;
        for (const auto& [path, contents] : m_files)
            names.push_back(path);
        return names;
    }
    std::string homeDirectory() override { return "/Users/quenby"; }
    std::optional<std::string> cachesDirectory() override { return "/Users/quenby/Library/Caches"; }

    std::atomic<bool> failWrites = false;
    std::atomic<int> writes = 0;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, std::string> m_files;
};

} // namespace tallowmere::test
