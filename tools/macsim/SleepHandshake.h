#pragma once

#include "simulator/Machine.h"

namespace macsim {

// `macsim sleep [--idle]`: delivers the power message and the workspace's will-sleep notification, waits
// for the application to allow the power change (at most 30 s, or $MACSIM_SLEEP_LIMIT_SECONDS), prints
// how long that took and puts the machine to sleep.
int runSleep(Machine& machine, bool idle);

// `macsim wake`: the powered-on power message and the workspace's did-wake notification.
int runWake(Machine& machine);

} // namespace macsim
