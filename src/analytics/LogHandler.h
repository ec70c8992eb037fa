#pragma once

#include <functional>
#include <string>

namespace tallowmere {

// Levels of the analytics client's own diagnostics, least severe first.
enum class LogLevel { debug, info, error };

// A log sink of the analytics client with the least severe level it accepts.
struct LogHandler {
    LogLevel logLevel = LogLevel::info;
    std::function<void(LogLevel, const std::string&)> handler;

    void log(LogLevel level, const std::string& message) const;

    // Whole lines through the application's log, each prefixed with "Analytics: ".
    static LogHandler standard(LogLevel logLevel);
};

} // namespace tallowmere
