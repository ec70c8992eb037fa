#pragma once

#include "analytics/AnalyticsConfiguration.h"
#include "platform/PreferenceStore.h"
#include "platform/Runtime.h"

#include <QTimeZone>

#include <mutex>
#include <optional>

namespace tallowmere {

// Acquisition and retention facts of this user account, kept in the analytics client's defaults store.
// Days are counted in the computer's time zone.
class SessionStatistics {
public:
    SessionStatistics(PreferenceStore& store, QTimeZone timeZone);

    // Counts a new session and the day it falls on.
    void sessionBegan(WallTime now);
    // Records how long the running session lasted.
    void sessionEnded(WallTime now);

    // "Analytics.Acquisition.*" and "Analytics.Retention.*" as of `now`.
    SignalParameters parameters(WallTime now) const;

private:
    QDate dayOf(WallTime time) const;

    PreferenceStore& m_store;
    QTimeZone m_timeZone;
    mutable std::mutex m_mutex;
    std::optional<WallTime> m_sessionStart;
};

} // namespace tallowmere
