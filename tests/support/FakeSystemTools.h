#pragma once

#include "platform/SystemTools.h"

namespace tallowmere::test {

// The tools at their macOS paths.
class FakeSystemTools : public SystemTools {
public:
    std::string diskutil() const override { return "/usr/sbin/diskutil"; }
    std::string tmutil() const override { return "/usr/bin/tmutil"; }
    std::string pmset() const override { return "/usr/bin/pmset"; }
};

} // namespace tallowmere::test
