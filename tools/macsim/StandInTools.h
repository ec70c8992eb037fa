#pragma once

#include "simulator/Machine.h"

#include <string>
#include <vector>

namespace macsim {

// The stand-ins for /usr/sbin/diskutil, /usr/bin/tmutil and /usr/bin/pmset. Each returns its exit status.
int runDiskutil(Machine& machine, const std::vector<std::string>& arguments);
int runTmutil(Machine& machine, const std::vector<std::string>& arguments);
int runPmset(Machine& machine, const std::vector<std::string>& arguments);

} // namespace macsim
