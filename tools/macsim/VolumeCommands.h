#pragma once

#include "simulator/Machine.h"

#include <string>
#include <vector>

namespace macsim {

// `macsim volume …`: connects, changes and lists the machine's volumes. Returns the exit status.
int volumeCommand(Machine& machine, const std::vector<std::string>& arguments);

// The outcome of an operation on the machine: its message on failure (and on success when `printMessage`), and
// the workspace notifications it makes, told to the running application. Returns the exit status.
int report(const Machine& machine, const MachineResult& result, bool printMessage);

} // namespace macsim
