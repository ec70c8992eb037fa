#pragma once

#include "analytics/AnalyticsConfiguration.h"
#include "analytics/EnvironmentFacts.h"
#include "analytics/ScreenMetricsProvider.h"
#include "platform/Runtime.h"

namespace tallowmere {

inline constexpr const char* analyticsSDKName = "TallowmereSignalClient";
inline constexpr const char* analyticsSDKVersion = "1.0.0";

// The parameters every signal carries, under their fixed names and the short legacy keys, describing the
// application, the computer and the moment `now` (calendar facts in the computer's time zone).
SignalParameters enrichmentParameters(const EnvironmentFacts& facts, const ScreenMetrics& screen, WallTime now);

} // namespace tallowmere
