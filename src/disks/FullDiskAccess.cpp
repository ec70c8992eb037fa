#include "disks/FullDiskAccess.h"

#include "disks/Diskutil.h"
#include "platform/Log.h"

#include <array>

namespace tallowmere {
namespace {

// Locations under the home folder that only a process with Full Disk Access can read.
constexpr std::array<const char*, 1> protectedTestPaths = {"Library/Metadata/CoreSpotlight"};

// The platform's "no permission" codes for reading and writing files.
bool isPermissionDenied(std::int64_t code) {
    return code == 257 || code == 513;
}

std::string appendingPath(std::string folder, const std::string& component) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder + component;
}

} // namespace

bool checkFullDiskAccess(FileSystem& fileSystem, ProcessRunner& processes, const SystemTools& tools) {
    logLine(LogCategory::disks(), "Tallowmere: Checking Full Disk Access permissions...");
    int accessed = 0;
    int denied = 0;
    for (const char* relative : protectedTestPaths) {
        const std::string path = appendingPath(fileSystem.homeDirectory(), relative);
        if (!fileSystem.exists(path)) {
            logLine(LogCategory::disks(), "Tallowmere: Path does not exist: " + path);
            continue;
        }
        const FileReadResult read =
            fileSystem.isDirectory(path) ? fileSystem.listDirectory(path) : fileSystem.readFile(path);
        if (read.ok) {
            ++accessed;
            logLine(LogCategory::disks(),
                    "Tallowmere: Successfully accessed " + path + " - Full Disk Access appears to be granted");
            continue;
        }
        logLine(LogCategory::disks(), "Tallowmere: Error accessing " + path +
                                          ": code=" + std::to_string(read.errorCode) + ", domain=" + read.errorDomain);
        if (isPermissionDenied(read.errorCode)) {
            ++denied;
            logLine(LogCategory::disks(), "Tallowmere: Permission denied (code " + std::to_string(read.errorCode) +
                                              ") for " + path + " - Full Disk Access likely NOT granted");
        }
    }

    if (denied > 0) {
        logLine(LogCategory::disks(), "Tallowmere: Full Disk Access is NOT granted (got " + std::to_string(denied) +
                                          " permission denied error(s))");
        return false;
    }
    if (accessed > 0) {
        logLine(LogCategory::disks(), "Tallowmere: Full Disk Access is GRANTED (accessed " + std::to_string(accessed) +
                                          " protected path(s) with no permission errors)");
        return true;
    }
    // Nothing could decide: the location is missing or failed for another reason.
    logLine(LogCategory::disks(), "Tallowmere: All protected test paths missing; falling back to diskutil heuristic");
    return diskutilFallbackCheck(processes, tools);
}

bool diskutilFallbackCheck(ProcessRunner& processes, const SystemTools& tools) {
    logLine(LogCategory::disks(), "Tallowmere: Running diskutil list as fallback check");
    const ProcessResult result =
        Diskutil(processes, tools).run({"list"}, Diskutil::Capture::outputAndError, queryTimeLimit);
    if (!result.started) {
        logLine(LogCategory::disks(), "Tallowmere: Exception running diskutil: " + result.errorDescription);
        return false;
    }
    logLine(LogCategory::disks(), "Tallowmere: diskutil exit status: " + std::to_string(result.exitStatus));
    if (result.exitStatus == 0 && !result.timedOut)
        return true;
    if (isValidUtf8(result.standardError))
        logLine(LogCategory::disks(), "Tallowmere: diskutil error: " + result.standardError);
    return false;
}

void openFullDiskAccessSettings(Workspace& workspace) {
    if (!workspace.openURL("x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles"))
        workspace.openURL("file:///System/Library/PreferencePanes/Security.prefPane");
}

} // namespace tallowmere
