#include "guard/ActivationDuration.h"
#include "app/Preferences.h"
#include "support/MemoryPreferenceStore.h"

#include <gtest/gtest.h>

#include <limits>

using namespace tallowmere;
using tallowmere::test::MemoryPreferenceStore;

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

TEST(CustomDurationWords, KeepSecondsAndPluralise) {
    EXPECT_EQ(customDurationWords(3661), "1 hour 1 minute 1 second");
    EXPECT_EQ(customDurationWords(9000), "2 hours 30 minutes");
    EXPECT_EQ(customDurationWords(3601), "1 hour 1 second");
    EXPECT_EQ(customDurationWords(7200), "2 hours");
    EXPECT_EQ(customDurationWords(59.9), "59 seconds");
    EXPECT_EQ(customDurationWords(0), "0 seconds");
    // 999 in every field of the sheet.
    EXPECT_EQ(customDurationWords(999 * 3600 + 999 * 60 + 999), "1015 hours 55 minutes 39 seconds");
    // A corrupt stored value stays bounded instead of overflowing.
    EXPECT_EQ(customDurationWords(1e300), "277777 hours 46 minutes 40 seconds");
}

} // namespace
