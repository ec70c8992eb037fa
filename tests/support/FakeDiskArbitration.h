#pragma once

#include "platform/DiskArbitration.h"

namespace tallowmere::test {

class FakeDiskArbitration : public DiskArbitration {
public:
    bool createSession() override { return true; }
};

} // namespace tallowmere::test
