#pragma once

#include "platform/PlatformBackend.h"

#include <memory>
#include <string>
#include <vector>

namespace tallowmere {

// A platform this build runs on: how to find its running copy, and how to make and start its services (main
// thread, once the QApplication exists; nothing when they cannot start, with the reason logged).
struct PlatformChoice {
    const char* name;
    // Qt's offscreen platform stands in for a missing display (a server, CI); a Mac always has its screen.
    bool drawsOffscreenWithoutDisplay;
    std::string (*instanceLockPath)();
    std::unique_ptr<PlatformBackend> (*start)(Runtime& runtime);
    // Whether this build can run it here; none: always. The default is the first that can.
    bool (*isAvailable)() = nullptr;
};

// The platforms of this build, in order of preference: the default is the first that is available.
const std::vector<PlatformChoice>& platformChoices();
// The named platform, the default for an empty name, nothing for an unknown one.
const PlatformChoice* platformNamed(const std::string& name);
// "sim|linux": the names, the default here first.
std::string platformNames();

// Takes "--platform NAME" (or "--platform=NAME") out of the arguments before Qt reads them: Qt would take it
// for its own -platform option.
void takePlatformOption(int& argc, char** argv);

} // namespace tallowmere
