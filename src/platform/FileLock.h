#pragma once

#include <string>

namespace tallowmere {

// An exclusive advisory lock on a lock file, held for the object's lifetime. The kernel drops it when the
// process ends, so a crash never leaves a stale lock behind.
class FileLock {
public:
    explicit FileLock(const std::string& lockPath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool isLocked() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace tallowmere
