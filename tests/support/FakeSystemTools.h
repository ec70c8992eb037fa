#pragma once

#include "platform/SystemTools.h"

namespace tallowmere::test {

// The tools at their macOS paths; a test may move them.
class FakeSystemTools : public SystemTools {
public:
    std::string diskutil() const override { return diskutilPath; }
    std::string tmutil() const override { return tmutilPath; }
    std::string pmset() const override { return pmsetPath; }

    std::string diskutilPath = "/usr/sbin/diskutil";
    std::string tmutilPath = "/usr/bin/tmutil";
    std::string pmsetPath = "/usr/bin/pmset";
};

} // namespace tallowmere::test
