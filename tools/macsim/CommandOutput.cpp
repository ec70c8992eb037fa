#include "CommandOutput.h"

#include <cstdio>

namespace macsim {

void printOut(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void printLine(const std::string& line) {
    printOut(line + "\n");
}

void printError(const std::string& message) {
    std::string line = "macsim: " + message + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

int usageError(const std::string& message) {
    printError(message + " (see \"macsim help\")");
    return exitUsage;
}

int failure(const std::string& message) {
    printError(message);
    return exitFailed;
}

} // namespace macsim
