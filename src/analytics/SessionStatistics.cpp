#include "analytics/SessionStatistics.h"

#include "platform/ClampedInteger.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tallowmere {
namespace {

constexpr const char* firstSessionDateKey = "analyticsFirstSessionDate";
constexpr const char* totalSessionsKey = "analyticsTotalSessionsCount";
constexpr const char* endedSessionsKey = "analyticsEndedSessionsCount";
constexpr const char* totalSecondsKey = "analyticsTotalSessionSeconds";
constexpr const char* previousSecondsKey = "analyticsPreviousSessionSeconds";
constexpr const char* distinctDaysKey = "analyticsDistinctDaysUsed";
constexpr const char* recentDaysKey = "analyticsRecentDaysUsed";
constexpr int recentWindowDays = 30;

double secondsSinceEpoch(WallTime time) {
    return std::chrono::duration<double>(time.time_since_epoch()).count();
}

std::vector<QDate> recentDays(const PreferenceStore& store) {
    std::vector<QDate> days;
    if (auto stored = store.arrayValue(recentDaysKey))
        for (const PropertyValue& value : *stored)
            if (const auto* text = value.as<std::string>())
                if (QDate day = QDate::fromString(QString::fromStdString(*text), Qt::ISODate); day.isValid())
                    days.push_back(day);
    return days;
}

std::string wholeSecondsText(double seconds) {
    return std::to_string(clampedInteger<std::int64_t>(std::round(std::max(0.0, seconds))));
}

// A stored count one higher; a count that reached the end of the range stays there.
std::int64_t incremented(const PreferenceStore& store, const char* key) {
    std::int64_t count = store.integerValue(key);
    return count == std::numeric_limits<std::int64_t>::max() ? count : count + 1;
}

} // namespace

SessionStatistics::SessionStatistics(PreferenceStore& store, QTimeZone timeZone)
    : m_store(store)
    , m_timeZone(std::move(timeZone)) {}

QDate SessionStatistics::dayOf(WallTime time) const {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(ms, m_timeZone).date();
}

void SessionStatistics::sessionBegan(WallTime now) {
    std::lock_guard lock(m_mutex);
    m_sessionStart = now;
    if (!m_store.hasObject(firstSessionDateKey))
        m_store.setDouble(firstSessionDateKey, secondsSinceEpoch(now));
    m_store.setInteger(totalSessionsKey, incremented(m_store, totalSessionsKey));

    QDate today = dayOf(now);
    std::vector<QDate> days = recentDays(m_store);
    if (std::find(days.begin(), days.end(), today) == days.end()) {
        m_store.setInteger(distinctDaysKey, incremented(m_store, distinctDaysKey));
        days.push_back(today);
    }
    PropertyArray kept;
    for (const QDate& day : days)
        if (day.daysTo(today) < recentWindowDays)
            kept.emplace_back(day.toString(Qt::ISODate).toStdString());
    m_store.setArray(recentDaysKey, std::move(kept));
}

void SessionStatistics::sessionEnded(WallTime now) {
    std::lock_guard lock(m_mutex);
    if (!m_sessionStart)
        return;
    double seconds = std::max(0.0, std::chrono::duration<double>(now - *m_sessionStart).count());
    m_sessionStart.reset();
    m_store.setDouble(previousSecondsKey, seconds);
    m_store.setDouble(totalSecondsKey, m_store.doubleValue(totalSecondsKey) + seconds);
    m_store.setInteger(endedSessionsKey, incremented(m_store, endedSessionsKey));
}

SignalParameters SessionStatistics::parameters(WallTime now) const {
    std::lock_guard lock(m_mutex);
    SignalParameters p;
    if (m_store.hasObject(firstSessionDateKey)) {
        auto ms = clampedInteger<qint64>(m_store.doubleValue(firstSessionDateKey) * 1000.0);
        p["Analytics.Acquisition.firstSessionDate"] =
            QDateTime::fromMSecsSinceEpoch(ms, m_timeZone).date().toString(Qt::ISODate).toStdString();
    }
    std::int64_t ended = m_store.integerValue(endedSessionsKey);
    p["Analytics.Retention.averageSessionSeconds"] =
        wholeSecondsText(ended > 0 ? m_store.doubleValue(totalSecondsKey) / static_cast<double>(ended) : 0.0);
    p["Analytics.Retention.distinctDaysUsed"] = std::to_string(m_store.integerValue(distinctDaysKey));
    QDate today = dayOf(now);
    std::vector<QDate> days = recentDays(m_store);
    auto lastMonth = std::count_if(days.begin(), days.end(), [&](const QDate& day) {
        return day.daysTo(today) >= 0 && day.daysTo(today) < recentWindowDays;
    });
    p["Analytics.Retention.distinctDaysUsedLastMonth"] = std::to_string(lastMonth);
    p["Analytics.Retention.totalSessionsCount"] = std::to_string(m_store.integerValue(totalSessionsKey));
    p["Analytics.Retention.previousSessionSeconds"] = wholeSecondsText(m_store.doubleValue(previousSecondsKey));
    return p;
}

} // namespace tallowmere
