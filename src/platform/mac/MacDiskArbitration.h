#pragma once

#include "platform/DiskArbitration.h"

namespace tallowmere {

// A DiskArbitration session on the main run loop, kept for the life of this object.
class MacDiskArbitration : public DiskArbitration {
public:
    MacDiskArbitration() = default;
    ~MacDiskArbitration() override;
    MacDiskArbitration(const MacDiskArbitration&) = delete;
    MacDiskArbitration& operator=(const MacDiskArbitration&) = delete;

    bool createSession() override;

private:
    const void* m_session = nullptr; // DASessionRef
};

} // namespace tallowmere
