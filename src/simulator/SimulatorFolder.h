#pragma once

#include <string>

namespace macsim {

// The folder of the simulated Mac this process works on: $TALLOWMERE_SIM_DIR, else
// ${XDG_STATE_HOME:-$HOME/.local/state}/tallowmere/sim. The application and macsim both use this rule.
std::string simulatorFolder();

} // namespace macsim
