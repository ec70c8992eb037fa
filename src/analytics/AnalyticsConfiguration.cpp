#include "analytics/AnalyticsConfiguration.h"

namespace tallowmere {

AnalyticsConfiguration::AnalyticsConfiguration(std::string analyticsAppID)
    : analyticsAppID(std::move(analyticsAppID))
    , apiBaseURL(QString::fromUtf8(TALLOWMERE_ANALYTICS_BASE_URL)) {}

} // namespace tallowmere
