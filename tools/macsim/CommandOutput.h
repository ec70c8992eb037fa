#pragma once

#include <string>

namespace macsim {

// Exit codes of the control commands.
inline constexpr int exitDone = 0;
inline constexpr int exitFailed = 1;
inline constexpr int exitUsage = 2;
inline constexpr int exitNoApplication = 3;

void printOut(const std::string& text);
void printLine(const std::string& line);
// "macsim: " + message on standard error.
void printError(const std::string& message);
int usageError(const std::string& message);
int failure(const std::string& message);

} // namespace macsim
