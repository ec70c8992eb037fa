#pragma once

#include "platform/DiskArbitration.h"

#include <atomic>

namespace tallowmere::test {

class FakeDiskArbitration : public DiskArbitration {
public:
    bool createSession() override { return ++sessionsCreated > 0; }

    std::atomic<int> sessionsCreated = 0;
};

} // namespace tallowmere::test
