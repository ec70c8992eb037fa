#pragma once

#include <QLoggingCategory>

#include <functional>
#include <string>

namespace tallowmere {

// Diagnostics: whole lines on standard output, never interleaved between threads, each in an area's category so
// that QT_LOGGING_RULES can turn an area up or down ("tallowmere.disks.debug=false", "tallowmere.*.info=false").
// The lines read the same whatever the category.
namespace LogCategory {
const QLoggingCategory& app();           // the delegate: launch, triggers, the protection loop, commands
const QLoggingCategory& disks();         // discovery, taking volumes offline, remount, Full Disk Access
const QLoggingCategory& power();         // sleep and wake messages, held sleeps
const QLoggingCategory& guard();         // Quenby Guard
const QLoggingCategory& analytics();     // the signal client
const QLoggingCategory& ui();            // menu, windows, notifications
const QLoggingCategory& platform();      // the ports' own implementations (preferences, processes)
const QLoggingCategory& platformSim();   // platform.sim: the simulated Mac's adapters
const QLoggingCategory& platformLinux(); // platform.linux: the Linux desktop's adapters
const QLoggingCategory& platformMac();   // platform.mac: the Mac's adapters
} // namespace LogCategory

// debug: detail ("DEBUG: …" lines); info: what the application decided; warning: what went wrong ("ERROR: …").
enum class LogSeverity { debug, info, warning };

void logLine(const QLoggingCategory& category, const std::string& line, LogSeverity severity = LogSeverity::info);
inline void logDebug(const QLoggingCategory& category, const std::string& line) {
    logLine(category, line, LogSeverity::debug);
}
inline void logError(const QLoggingCategory& category, const std::string& line) {
    logLine(category, line, LogSeverity::warning);
}

// Redirects log lines (tests capture them); an empty sink restores standard output.
using LogSink = std::function<void(const std::string&)>;
void setLogSink(LogSink sink);

} // namespace tallowmere
