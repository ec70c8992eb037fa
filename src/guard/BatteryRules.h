#pragma once

#include "platform/PowerSources.h"

#include <optional>

namespace tallowmere {

// True when the power-source list holds an internal battery.
bool hasInternalBattery(PowerSources& powerSources);
// Charge of the first usable internal battery in percent, unrounded; nothing when it cannot be told.
std::optional<double> batteryPercentage(PowerSources& powerSources);

} // namespace tallowmere
