#include "simulator/ProcessIdentity.h"

#include <cerrno>
#include <csignal>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <unistd.h>
#ifdef __APPLE__
#include <sys/sysctl.h>
#endif

namespace macsim {
namespace {

#ifdef __APPLE__
// The kernel's start time of the process, in microseconds.
std::uint64_t startTicksOf(std::int64_t pid) {
    int query[] = {CTL_KERN, KERN_PROC, KERN_PROC_PID, static_cast<int>(pid)};
    struct kinfo_proc info {};
    size_t size = sizeof info;
    if (::sysctl(query, 4, &info, &size, nullptr, 0) != 0 || size == 0)
        return 0;
    const timeval& started = info.kp_proc.p_starttime;
    return static_cast<std::uint64_t>(started.tv_sec) * 1000000 + static_cast<std::uint64_t>(started.tv_usec);
}
#elif defined(__linux__)
// Field 22 of /proc/PID/stat; the command name (field 2) may hold spaces and parentheses, so fields are
// counted from the last ')'.
std::uint64_t startTicksOf(std::int64_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto close = stat.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int index = 3; fields >> field; ++index) {
        if (index == 22)
            return std::strtoull(field.c_str(), nullptr, 10);
    }
    return 0;
}

#else
std::uint64_t startTicksOf(std::int64_t) {
    return 0;
}
#endif

} // namespace

ProcessIdentity ProcessIdentity::current() {
    return of(::getpid());
}

ProcessIdentity ProcessIdentity::of(std::int64_t pid) {
    return {pid, startTicksOf(pid)};
}

bool ProcessIdentity::isAlive() const {
    // Nothing beyond the range of process ids either: cut down, it could name a group or every process.
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM)
        return false;
    if (startTicks == 0)
        return true;
    std::uint64_t now = startTicksOf(pid);
    // A zombie or an unreadable /proc entry still counts as the same process.
    return now == 0 || now == startTicks;
}

} // namespace macsim
