#include "platform/Log.h"

#include <cstdio>
#include <mutex>

namespace tallowmere {
namespace {
std::mutex& logMutex() {
    static std::mutex mutex;
    return mutex;
}
LogSink& currentSink() {
    static LogSink sink;
    return sink;
}
} // namespace

void logLine(const std::string& line) {
    std::lock_guard lock(logMutex());
    if (currentSink()) {
        currentSink()(line);
        return;
    }
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void setLogSink(LogSink sink) {
    std::lock_guard lock(logMutex());
    currentSink() = std::move(sink);
}

} // namespace tallowmere
