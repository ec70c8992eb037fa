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

QtMsgType messageType(LogSeverity severity) {
    switch (severity) {
    case LogSeverity::debug:
        return QtDebugMsg;
    case LogSeverity::info:
        return QtInfoMsg;
    case LogSeverity::warning:
        return QtWarningMsg;
    }
    return QtInfoMsg;
}

} // namespace

namespace LogCategory {
#define TALLOWMERE_LOG_CATEGORY(function, name)                                                                        \
    const QLoggingCategory& function() {                                                                               \
        static const QLoggingCategory category(name);                                                                  \
        return category;                                                                                               \
    }
TALLOWMERE_LOG_CATEGORY(app, "tallowmere.app")
TALLOWMERE_LOG_CATEGORY(disks, "tallowmere.disks")
TALLOWMERE_LOG_CATEGORY(power, "tallowmere.power")
TALLOWMERE_LOG_CATEGORY(guard, "tallowmere.guard")
TALLOWMERE_LOG_CATEGORY(analytics, "tallowmere.analytics")
TALLOWMERE_LOG_CATEGORY(ui, "tallowmere.ui")
TALLOWMERE_LOG_CATEGORY(platform, "tallowmere.platform")
TALLOWMERE_LOG_CATEGORY(platformSim, "tallowmere.platform.sim")
TALLOWMERE_LOG_CATEGORY(platformLinux, "tallowmere.platform.linux")
TALLOWMERE_LOG_CATEGORY(platformMac, "tallowmere.platform.mac")
#undef TALLOWMERE_LOG_CATEGORY
} // namespace LogCategory

void logLine(const QLoggingCategory& category, const std::string& line, LogSeverity severity) {
    if (!category.isEnabled(messageType(severity)))
        return;
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
