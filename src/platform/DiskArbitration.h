#pragma once

namespace tallowmere {

// DiskArbitration: the disk manager creates a session at start and schedules it on the main queue.
class DiskArbitration {
public:
    virtual ~DiskArbitration() = default;
    // True when a session was created.
    virtual bool createSession() = 0;
};

} // namespace tallowmere
