#include "analytics/LogHandler.h"

#include "platform/Log.h"

namespace tallowmere {

void LogHandler::log(LogLevel level, const std::string& message) const {
    if (handler && level >= logLevel)
        handler(level, message);
}

LogHandler LogHandler::standard(LogLevel logLevel) {
    return {logLevel, [](LogLevel level, const std::string& message) {
                const LogSeverity severity = level == LogLevel::debug   ? LogSeverity::debug
                                             : level == LogLevel::error ? LogSeverity::warning
                                                                        : LogSeverity::info;
                logLine(LogCategory::analytics(), "Analytics: " + message, severity);
            }};
}

} // namespace tallowmere
