#include "platform/InstanceLock.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <unistd.h>

namespace tallowmere {

InstanceLock::InstanceLock(const std::string& path) {
    m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return;
    int result;
    do
        result = ::flock(m_fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0 && errno != EWOULDBLOCK) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    if (result == 0) {
        m_held = true;
        // Only a second copy reads this; a failed write leaves it without the pid, nothing worse.
        const std::string pid = std::to_string(::getpid()) + "\n";
        if (::ftruncate(m_fd, 0) == 0) {
            [[maybe_unused]] const ssize_t written = ::pwrite(m_fd, pid.data(), pid.size(), 0);
        }
        return;
    }
    char buffer[32];
    const ssize_t size = ::pread(m_fd, buffer, sizeof buffer, 0);
    long pid = 0;
    const std::string_view text(buffer, size > 0 ? static_cast<size_t>(size) : 0);
    if (auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), pid);
        error == std::errc() && pid > 0)
        m_holder = pid;
}

InstanceLock::~InstanceLock() {
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
}

} // namespace tallowmere
