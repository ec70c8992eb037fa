#include "analytics/LogHandler.h"

#include "platform/Log.h"

namespace tallowmere {

void LogHandler::log(LogLevel level, const std::string& message) const {
    if (handler && level >= logLevel)
        handler(level, message);
}

LogHandler LogHandler::standard(LogLevel logLevel) {
    return {logLevel, [](LogLevel, const std::string& message) { logLine("Analytics: " + message); }};
}

} // namespace tallowmere
