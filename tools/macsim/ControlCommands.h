#pragma once

#include "simulator/Machine.h"

#include <string>
#include <vector>

namespace macsim {

// The control commands of `macsim` (everything but the stand-in tools). Returns the exit status.
int runControlCommand(Machine& machine, const std::vector<std::string>& arguments);

void printHelp();

} // namespace macsim
