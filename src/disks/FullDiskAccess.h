#pragma once

#include "platform/FileSystem.h"
#include "platform/ProcessRunner.h"
#include "platform/SystemTools.h"
#include "platform/Workspace.h"

namespace tallowmere {

// Whether Full Disk Access is taken to be granted: a probe of a protected folder, with a diskutil fallback.
bool checkFullDiskAccess(FileSystem& fileSystem, ProcessRunner& processes, const SystemTools& tools);
bool diskutilFallbackCheck(ProcessRunner& processes, const SystemTools& tools);
// Opens the Full Disk Access pane of the system settings.
void openFullDiskAccessSettings(Workspace& workspace);

} // namespace tallowmere
