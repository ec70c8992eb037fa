#pragma once

#include <cstdint>

namespace macsim {

// A process as the machine records it: its id plus its start time, so that a recycled id is not mistaken
// for the process that held an assertion or owned the application socket.
struct ProcessIdentity {
    std::int64_t pid = 0;
    std::uint64_t startTicks = 0; // 0 when unknown

    static ProcessIdentity current();
    static ProcessIdentity of(std::int64_t pid);
    bool isAlive() const;
};

} // namespace macsim
