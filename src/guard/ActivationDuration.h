#pragma once

#include "platform/PreferenceStore.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tallowmere {

// The keep-awake durations, stored by raw value (index) in `activationDurationIndex`.
enum class ActivationDuration { off = 0, indefinitely, min5, min10, min15, min30, hr1, hr2, hr4, hr24 };

std::optional<ActivationDuration> activationDurationFromRawValue(long long rawValue);
// The menu's title of the duration ("1 hr"), in the user's language.
std::string title(ActivationDuration duration);
// Seconds of a timed choice; nothing for `off` and `indefinitely`.
std::optional<double> seconds(ActivationDuration duration);
extern const std::array<ActivationDuration, 10> allActivationDurations;

// The default duration: the custom one when chosen and set, otherwise that of `activationDurationIndex`
// (an index outside 0…9 counts as `off`). Nothing means "Off" or "Indefinitely".
std::optional<double> defaultStayAwakeDuration(const PreferenceStore& preferences);

// The custom duration in words, seconds kept: 3661 gives "1 hour 1 minute 1 second".
std::string customDurationWords(double seconds);

// Whole hours, minutes and seconds in words ("1 hour 30 minutes"). Without `keepSeconds`, seconds appear only
// for totals under a minute and a total under one second gives the empty text.
std::string durationWords(double seconds, bool keepSeconds);

// About 31 years: far beyond any duration offered, and small enough that clock arithmetic cannot overflow.
inline constexpr double maximumDurationSeconds = 1e9;

// A duration brought into 0…`maximumDurationSeconds`; zero for negative or not-a-number values, which only a
// corrupt stored preference can produce.
double boundedDuration(double seconds);
// Whole seconds of a bounded duration, fraction dropped.
std::int64_t wholeSeconds(double seconds);

} // namespace tallowmere
