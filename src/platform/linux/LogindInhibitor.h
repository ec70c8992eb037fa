#pragma once

#include <QDBusConnection>

#include <optional>
#include <string>

namespace tallowmere {

// One logind inhibitor lock ("sleep" delay, "idle:sleep" block, …). logind holds it for as long as the
// descriptor it handed out is open, so closing it is the release; the process ending releases it too.
class LogindInhibitor {
public:
    LogindInhibitor() = default;
    ~LogindInhibitor() { release(); }
    LogindInhibitor(LogindInhibitor&& other) noexcept
        : m_fd(std::exchange(other.m_fd, -1)) {}
    LogindInhibitor& operator=(LogindInhibitor&& other) noexcept;
    LogindInhibitor(const LogindInhibitor&) = delete;
    LogindInhibitor& operator=(const LogindInhibitor&) = delete;

    // `what` is logind's colon-separated list, `mode` "delay" or "block". Nothing (and why) when refused.
    static std::optional<LogindInhibitor> take(const QDBusConnection& bus, const QString& what, const QString& why,
                                               const QString& mode, std::string* error = nullptr);

    bool isHeld() const { return m_fd >= 0; }
    void release();

private:
    explicit LogindInhibitor(int fd)
        : m_fd(fd) {}
    int m_fd = -1;
};

} // namespace tallowmere
