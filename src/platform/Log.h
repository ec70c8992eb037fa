#pragma once

#include <functional>
#include <string>

namespace tallowmere {

// Diagnostics: whole lines on standard output, never interleaved between threads.
void logLine(const std::string& line);

// Redirects log lines (tests capture them); an empty sink restores standard output.
using LogSink = std::function<void(const std::string&)>;
void setLogSink(LogSink sink);

} // namespace tallowmere
