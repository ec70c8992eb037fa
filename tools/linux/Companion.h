#pragma once

#include <string>
#include <vector>

namespace tallowmere::companion {

// Serves the command lines the application runs as "/usr/sbin/diskutil" and "/usr/bin/pmset" on a Mac, from
// udisks2 and logind on the system bus:
//   info [-plist] TARGET, list [-plist], unmount [force] TARGET, mount TARGET, mountDisk DISK, sleepnow.
// Prints what diskutil's info and list print (property lists in XML) and exits 0 on success, 1 with a line on
// standard error otherwise. Mounting, unmounting and sleeping succeed silently: the application lets these
// commands' output through to its own, where only its log lines belong.
int run(const std::vector<std::string>& arguments);

} // namespace tallowmere::companion
