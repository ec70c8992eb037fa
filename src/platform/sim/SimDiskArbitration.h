#pragma once

#include "platform/DiskArbitration.h"

namespace tallowmere {

// DiskArbitration on the simulated Mac: a session can always be created; nothing uses it further.
class SimDiskArbitration : public DiskArbitration {
public:
    bool createSession() override { return true; }
};

} // namespace tallowmere
