#include "base/Preferences.h"
#include "guard/ActivationDuration.h"
#include "guard/BatteryRules.h"
#include "guard/StayAwakeController.h"
#include "support/FakePowerSources.h"
#include "support/MemoryPreferenceStore.h"

#include <gtest/gtest.h>

#include <limits>

using namespace tallowmere;
using namespace tallowmere::test;
using Descriptions = FakePowerSources::Descriptions;

namespace {

TEST(DefaultStayAwakeDuration, FollowsTheStoredIndexOrAUsableCustomDurationAndCountsUnknownIndexesAsOff) {
    MemoryPreferenceStore preferences;
    EXPECT_FALSE(defaultStayAwakeDuration(preferences)); // nothing stored: "Off"
    preferences.setInteger(PreferenceKey::activationDurationIndex, 7);
    EXPECT_EQ(defaultStayAwakeDuration(preferences), 7200);
    for (int index : {1, 12, -3}) { // "Indefinitely", then unknown indexes
        preferences.setInteger(PreferenceKey::activationDurationIndex, index);
        EXPECT_FALSE(defaultStayAwakeDuration(preferences)) << index;
    }

    // The custom duration wins only when chosen and usable.
    preferences.setInteger(PreferenceKey::activationDurationIndex, 4);
    preferences.setDouble(PreferenceKey::customStayAwakeSeconds, 5400);
    EXPECT_EQ(defaultStayAwakeDuration(preferences), 900); // not chosen

    preferences.setBool(PreferenceKey::useCustomStayAwakeDefault, true);
    EXPECT_EQ(defaultStayAwakeDuration(preferences), 5400);

    for (double unusable :
         {0.0, -60.0, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        preferences.setDouble(PreferenceKey::customStayAwakeSeconds, unusable);
        EXPECT_EQ(defaultStayAwakeDuration(preferences), 900) << unusable;
    }
}

TEST(DurationWords, CustomDurationsKeepSecondsNoticesShowWholeMinutesAndBothStayBounded) {
    const std::vector<std::tuple<double, std::string, std::string>> cases = {
        // seconds, the custom duration's words, the notice's words
        {3661, "1 hour 1 minute 1 second", "1 hour 1 minute"},
        {3601, "1 hour 1 second", "1 hour"},
        {9000, "2 hours 30 minutes", "2 hours 30 minutes"},
        {60.9, "1 minute", "1 minute"},
        {59.9, "59 seconds", "59 seconds"},
        {1, "1 second", "1 second"},
        {0.5, "0 seconds", ""},
        {-30, "0 seconds", ""},
        // 999 in every field of the sheet, then a corrupt stored value that must not overflow.
        {999 * 3600 + 999 * 60 + 999, "1015 hours 55 minutes 39 seconds", "1015 hours 55 minutes"},
        {1e300, "277777 hours 46 minutes 40 seconds", "277777 hours 46 minutes"},
    };
    for (const auto& [seconds, custom, notice] : cases) {
        EXPECT_EQ(customDurationWords(seconds), custom) << seconds;
        EXPECT_EQ(StayAwakeController::formatDuration(seconds), notice) << seconds;
    }
    EXPECT_EQ(StayAwakeController::formatDuration(std::nullopt), "");
    EXPECT_EQ(StayAwakeController::formatDuration(std::numeric_limits<double>::quiet_NaN()), "");
}

TEST(BatteryRules, TheFirstUsableInternalBatteryGivesTheChargeUnroundedAndNoSnapshotMeansNoBattery) {
    auto battery = [](PropertyValue current, PropertyValue maximum, std::string type = "InternalBattery") {
        return std::optional(FakePowerSources::battery(std::move(current), std::move(maximum), std::move(type)));
    };
    using I = std::int64_t;
    const std::vector<std::tuple<std::optional<Descriptions>, bool, std::optional<double>>> cases = {
        {std::nullopt, false, std::nullopt},
        {Descriptions{}, false, std::nullopt},
        {Descriptions{battery(I(1), I(8))}, true, 12.5},
        {Descriptions{battery(I(45), 90.0)}, true, 50.0},
        // An internal battery with unusable capacities still counts as a battery, but gives no charge.
        {Descriptions{battery(I(10), I(0))}, true, std::nullopt},
        {Descriptions{battery(I(10), I(100), "UPS")}, false, std::nullopt},
        {Descriptions{std::nullopt, PropertyValue("InternalBattery"), battery(I(10), I(100), "UPS"),
                      PropertyDictionary{{"Type", I(1)}}, battery(I(10), I(-100)), battery(true, I(100)),
                      battery("10", I(100)), battery(I(30), I(60)), battery(I(5), I(100))},
         true, 50.0},
    };
    for (const auto& [descriptions, hasBattery, charge] : cases) {
        FakePowerSources sources;
        sources.setDescriptions(descriptions);
        EXPECT_EQ(hasInternalBattery(sources), hasBattery);
        EXPECT_EQ(batteryPercentage(sources), charge) << (charge ? *charge : -1);
    }
}

} // namespace
