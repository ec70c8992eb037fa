#pragma once

#include "platform/PowerSources.h"

#include "simulator/Machine.h"

namespace tallowmere {

// The power sources of the simulated Mac: its internal battery (if it has one) and Low Power Mode.
class SimPowerSources : public PowerSources {
public:
    explicit SimPowerSources(macsim::Machine machine);
    std::optional<std::vector<std::optional<PropertyValue>>> powerSourceDescriptions() override;
    bool isLowPowerModeEnabled() override;

private:
    macsim::Machine m_machine;
};

} // namespace tallowmere
