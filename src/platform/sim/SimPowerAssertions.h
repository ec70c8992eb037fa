#pragma once

#include "platform/PowerAssertions.h"

#include "simulator/Machine.h"

namespace tallowmere {

// Power assertions held in the simulated Mac, recorded with this process as their owner.
class SimPowerAssertions : public PowerAssertions {
public:
    explicit SimPowerAssertions(macsim::Machine machine);
    AssertionResult create(const std::string& type, std::uint32_t level, const std::string& name) override;
    int release(std::uint32_t assertionID) override;

    static constexpr int returnSuccess = 0;
    static constexpr int returnError = static_cast<int>(0xE00002BC);       // kIOReturnError
    static constexpr int returnBadArgument = static_cast<int>(0xE00002C2); // kIOReturnBadArgument

private:
    macsim::Machine m_machine;
};

} // namespace tallowmere
