#pragma once

#include "simulator/Machine.h"

#include <string>
#include <vector>

namespace macsim {

// `macsim ui …`: hands the command to the running application, which answers by walking its real widgets,
// and prints what it answered. Exit 3 when no application is attached.
int runUi(Machine& machine, const std::vector<std::string>& arguments);

} // namespace macsim
