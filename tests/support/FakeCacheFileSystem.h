#pragma once

#include "platform/FileSystem.h"

#include <atomic>
#include <map>
#include <mutex>
#include <ranges>

namespace tallowmere::test {

// Files in memory, enough for code that keeps files in the user's caches folder. Writes replace a file as a
// whole or not at all, like the real atomic write; `failWrites` makes them fail and leave the old content.
class FakeCacheFileSystem : public FileSystem {
public:
    void setFile(const std::string& path, std::string contents) { writeFileAtomically(path, contents); }
    std::optional<std::string> file(const std::string& path) const {
        std::lock_guard lock(m_mutex);
        auto it = m_files.find(path);
        return it == m_files.end() ? std::nullopt : std::optional(it->second);
    }
    std::vector<std::string> paths() const {
        std::lock_guard lock(m_mutex);
        auto names = std::views::keys(m_files);
        return {names.begin(), names.end()};
    }

    std::optional<std::vector<std::string>> mountedVolumePaths() override { return std::vector<std::string>{"/"}; }
    bool exists(const std::string& path) override { return file(path).has_value(); }
    bool isDirectory(const std::string&) override { return false; }
    bool isExecutableFile(const std::string&) override { return false; }
    FileReadResult listDirectory(const std::string&) override { return {}; }
    FileReadResult readFile(const std::string& path) override {
        auto contents = file(path);
        return {contents.has_value(), contents ? 0 : 260, {}, {}, contents.value_or("")};
    }
    bool writeFileAtomically(const std::string& path, const std::string& bytes) override {
        std::lock_guard lock(m_mutex);
        if (failWrites)
            return false;
        m_files[path] = bytes;
        return true;
    }
    bool moveItem(const std::string& from, const std::string& to) override {
        std::lock_guard lock(m_mutex);
        if (m_files.contains(to) || !m_files.contains(from))
            return false;
        auto node = m_files.extract(from);
        node.key() = to;
        m_files.insert(std::move(node));
        return true;
    }
    std::string homeDirectory() override { return "/Users/quenby"; }
    std::optional<std::string> cachesDirectory() override { return "/Users/quenby/Library/Caches"; }

    std::atomic<bool> failWrites = false;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, std::string> m_files;
};

} // namespace tallowmere::test
