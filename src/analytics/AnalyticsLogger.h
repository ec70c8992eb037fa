#pragma once

#include "analytics/LogHandler.h"

#include <optional>
#include <string>

namespace tallowmere {

// The analytics client's diagnostics: its configured handler, with debug lines only when they are asked for.
class AnalyticsLogger {
public:
    AnalyticsLogger(std::optional<LogHandler> handler, bool showDebugLogs)
        : m_handler(std::move(handler))
        , m_showDebugLogs(showDebugLogs) {}

    bool isDebugEnabled() const { return m_handler && m_showDebugLogs && m_handler->logLevel == LogLevel::debug; }

    void debug(const std::string& message) const {
        if (m_showDebugLogs)
            log(LogLevel::debug, message);
    }
    void info(const std::string& message) const { log(LogLevel::info, message); }
    void error(const std::string& message) const { log(LogLevel::error, message); }

private:
    void log(LogLevel level, const std::string& message) const {
        if (m_handler)
            m_handler->log(level, message);
    }

    std::optional<LogHandler> m_handler;
    bool m_showDebugLogs;
};

} // namespace tallowmere
