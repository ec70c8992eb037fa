#include "guard/ActivationDuration.h"

#include "base/Preferences.h"
#include "platform/Translation.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tallowmere {

const std::array<ActivationDuration, 10> allActivationDurations = {
    ActivationDuration::off,   ActivationDuration::indefinitely, ActivationDuration::min5, ActivationDuration::min10,
    ActivationDuration::min15, ActivationDuration::min30,        ActivationDuration::hr1,  ActivationDuration::hr2,
    ActivationDuration::hr4,   ActivationDuration::hr24};

std::optional<ActivationDuration> activationDurationFromRawValue(long long rawValue) {
    if (rawValue < 0 || rawValue > 9)
        return std::nullopt;
    return static_cast<ActivationDuration>(rawValue);
}

std::string title(ActivationDuration duration) {
    switch (duration) {
    case ActivationDuration::off:
        return translated("ActivationDuration", "Off");
    case ActivationDuration::indefinitely:
        return translated("ActivationDuration", "Indefinitely");
    case ActivationDuration::min5:
        return translated("ActivationDuration", "5 min");
    case ActivationDuration::min10:
        return translated("ActivationDuration", "10 min");
    case ActivationDuration::min15:
        return translated("ActivationDuration", "15 min");
    case ActivationDuration::min30:
        return translated("ActivationDuration", "30 min");
    case ActivationDuration::hr1:
        return translated("ActivationDuration", "1 hr");
    case ActivationDuration::hr2:
        return translated("ActivationDuration", "2 hr");
    case ActivationDuration::hr4:
        return translated("ActivationDuration", "4 hr");
    case ActivationDuration::hr24:
        return translated("ActivationDuration", "24 hr");
    }
    return {};
}

std::optional<double> seconds(ActivationDuration duration) {
    switch (duration) {
    case ActivationDuration::off:
    case ActivationDuration::indefinitely:
        return std::nullopt;
    case ActivationDuration::min5:
        return 300;
    case ActivationDuration::min10:
        return 600;
    case ActivationDuration::min15:
        return 900;
    case ActivationDuration::min30:
        return 1800;
    case ActivationDuration::hr1:
        return 3600;
    case ActivationDuration::hr2:
        return 7200;
    case ActivationDuration::hr4:
        return 14400;
    case ActivationDuration::hr24:
        return 86400;
    }
    return std::nullopt;
}

std::optional<double> defaultStayAwakeDuration(const PreferenceStore& preferences) {
    if (preferences.boolValue(PreferenceKey::useCustomStayAwakeDefault)) {
        double custom = preferences.doubleValue(PreferenceKey::customStayAwakeSeconds);
        // An infinite value (written from outside) is no usable duration; it falls back like 0 does.
        if (custom > 0 && std::isfinite(custom))
            return custom;
    }
    auto duration = activationDurationFromRawValue(preferences.integerValue(PreferenceKey::activationDurationIndex));
    return seconds(duration.value_or(ActivationDuration::off));
}

std::string durationWords(double secondsValue, bool keepSeconds) {
    std::int64_t total = wholeSeconds(secondsValue);
    std::int64_t hours = total / 3600, minutes = (total % 3600) / 60, seconds = total % 60;
    std::vector<std::string> parts;
    // English picks the singular or the plural text by the count; a translation has the plural forms of its own
    // language for each.
    const int h = static_cast<int>(hours), m = static_cast<int>(minutes), s = static_cast<int>(seconds);
    if (total >= 3600)
        parts.push_back(h == 1 ? translated("Duration", "%n hour", nullptr, h)
                               : translated("Duration", "%n hours", nullptr, h));
    if (total % 3600 >= 60)
        parts.push_back(m == 1 ? translated("Duration", "%n minute", nullptr, m)
                               : translated("Duration", "%n minutes", nullptr, m));
    if (keepSeconds ? (seconds > 0 || parts.empty()) : (seconds >= 1 && parts.empty()))
        parts.push_back(s == 1 ? translated("Duration", "%n second", nullptr, s)
                               : translated("Duration", "%n seconds", nullptr, s));
    std::string words;
    for (const auto& part : parts)
        words += (words.empty() ? "" : " ") + part;
    return words;
}

std::string customDurationWords(double seconds) {
    return durationWords(seconds, true);
}

double boundedDuration(double seconds) {
    return seconds > 0 ? std::min(seconds, maximumDurationSeconds) : 0.0;
}

std::int64_t wholeSeconds(double seconds) {
    return static_cast<std::int64_t>(boundedDuration(seconds));
}

} // namespace tallowmere
