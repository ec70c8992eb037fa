#pragma once

#include "platform/PropertyValue.h"

#include <optional>
#include <vector>

namespace tallowmere {

// Power sources (IOPSCopyPowerSourcesInfo / IOPSCopyPowerSourcesList / IOPSGetPowerSourceDescription)
// and the process's Low Power Mode flag.
class PowerSources {
public:
    virtual ~PowerSources() = default;
    // One description per source of a fresh snapshot, in list order (nothing for a source without one);
    // nothing at all when there is no snapshot or no list.
    virtual std::optional<std::vector<std::optional<PropertyValue>>> powerSourceDescriptions() = 0;
    virtual bool isLowPowerModeEnabled() = 0;
};

} // namespace tallowmere
