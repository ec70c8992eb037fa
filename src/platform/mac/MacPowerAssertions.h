#pragma once

#include "platform/PowerAssertions.h"

namespace tallowmere {

// IOKit power assertions; they show in `pmset -g assertions` under their names.
class MacPowerAssertions : public PowerAssertions {
public:
    AssertionResult create(const std::string& type, std::uint32_t level, const std::string& name) override;
    int release(std::uint32_t assertionID) override;

    // Not an IOReturn: the type or the name is no UTF-8 text.
    static constexpr int invalidText = -1;
};

} // namespace tallowmere
