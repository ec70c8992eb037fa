#include "analytics/Analytics.h"

#include "base/Preferences.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tallowmere {
namespace {

// The shortest text that reads back as the same double, with ".0" on whole numbers ("3.0", "0.25", "1e+16").
std::string describe(double value) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, error == std::errc() ? end : buffer);
    if (text.find_first_of(".e") == std::string::npos)
        text += ".0";
    return text;
}

} // namespace

const char* signalName(AnalyticsEvent event) {
    switch (event) {
    case AnalyticsEvent::appLaunched:
        return "appLaunched";
    case AnalyticsEvent::firstLaunch:
        return "firstLaunch";
    case AnalyticsEvent::toggleKeepAwake:
        return "toggleKeepAwake";
    case AnalyticsEvent::autoEjectPerformed:
        return "autoEjectPerformed";
    case AnalyticsEvent::preferencesOpened:
        return "preferencesOpened";
    }
    return "";
}

AnalyticsValue::AnalyticsValue(std::int64_t value)
    : m_description(std::to_string(value)) {}
AnalyticsValue::AnalyticsValue(int value)
    : m_description(std::to_string(value)) {}
AnalyticsValue::AnalyticsValue(double value)
    : m_description(describe(value)) {}
AnalyticsValue::AnalyticsValue(bool value)
    : m_description(value ? "true" : "false") {}
AnalyticsValue::AnalyticsValue(std::string value)
    : m_description(std::move(value)) {}
AnalyticsValue::AnalyticsValue(const char* value)
    : m_description(value ? value : "") {}

Analytics::Analytics(Runtime& runtime, const PreferenceStore& preferences,
                     const std::function<std::shared_ptr<SignalSender>()>& makeClient)
    : m_runtime(runtime)
    , m_preferences(preferences)
    , m_client(makeClient ? makeClient() : nullptr)
    , m_handOff(runtime, QoS::Utility) {}

void Analytics::track(AnalyticsEvent event, const AnalyticsParameters& parameters) {
    // Only an explicit boolean false opts out; anything else stored there counts as enabled.
    if (auto enabled = m_preferences.object(PreferenceKey::analyticsEnabled)) {
        if (const bool* flag = enabled->as<bool>(); flag && !*flag)
            return;
    }
    if (!m_client)
        return;
    std::map<std::string, std::string> texts;
    for (const auto& [key, value] : parameters)
        texts.emplace(key, value.description());
    // One hand-off queue rather than a work item each: `appLaunched` must not overtake nor be overtaken.
    m_handOff.async([client = m_client, name = std::string(signalName(event)), texts = std::move(texts)] {
        client->signal(name, texts, std::nullopt, std::nullopt);
    });
}

bool Analytics::flush(Seconds limit) {
    const MonotonicTime deadline = m_runtime.now() + std::chrono::duration_cast<MonotonicTime::duration>(limit);
    if (!m_handOff.waitUntilDone(limit))
        return false;
    return !m_client || m_client->waitForSignals(std::max(Seconds(0), Seconds(deadline - m_runtime.now())));
}

} // namespace tallowmere
