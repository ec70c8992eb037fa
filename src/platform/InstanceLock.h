#pragma once

#include <optional>
#include <string>

namespace tallowmere {

// Makes one running copy of the application per machine or session: an exclusive advisory lock on a file that
// also names the holder's process. The kernel drops the lock when the holder ends, however it ends.
class InstanceLock {
public:
    explicit InstanceLock(const std::string& path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    bool isHeld() const { return m_held; }
    // Another process holds it; `holder` names it when its file already does.
    bool isHeldByAnother() const { return !m_held && m_fd >= 0; }
    std::optional<long> holder() const { return m_holder; }

private:
    int m_fd = -1;
    bool m_held = false;
    std::optional<long> m_holder;
};

} // namespace tallowmere
