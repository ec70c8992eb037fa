#pragma once

#include "platform/PowerSources.h"

namespace tallowmere {

// IOKit's power sources and the process's Low Power Mode flag. Any thread.
class MacPowerSources : public PowerSources {
public:
    std::optional<std::vector<std::optional<PropertyValue>>> powerSourceDescriptions() override;
    bool isLowPowerModeEnabled() override;
};

} // namespace tallowmere
