#include "base/Preferences.h"
#include "models/BatterySettingsModel.h"
#include "models/QuenbyGuardSettingsModel.h"
#include "support/FakePowerSources.h"
#include "support/MemoryPreferenceStore.h"
#include "support/VirtualRuntime.h"

#include <gtest/gtest.h>

using namespace tallowmere;
using namespace tallowmere::test;

namespace {

using Row = QuenbyGuardSettingsModel::DurationRow;
using Tags = std::vector<int>;

class QuenbyGuardPage : public ::testing::Test {
protected:
    // Tags of the rows captioned "Default".
    Tags defaultRows() {
        Tags tags;
        for (const Row& row : page.durationRows())
            if (row.isDefault)
                tags.push_back(row.tag);
        return tags;
    }
    std::int64_t storedIndex() { return preferences.integerValue(PreferenceKey::activationDurationIndex); }
    bool storedUseCustom() { return preferences.boolValue(PreferenceKey::useCustomStayAwakeDefault); }

    VirtualRuntime runtime;
    MemoryPreferenceStore preferences;
    QuenbyGuardSettingsModel page{runtime, preferences};
};

TEST_F(QuenbyGuardPage, AnAddedDurationIsTheDefaultUntilAFixedRowIsAndRemovingItHandsBackTheStoredIndex) {
    page.pageDidAppear();
    page.addCustomDuration(); // one hour to start with
    ASSERT_TRUE(page.setCustomMinutes("90"));
    page.addDuration();
    EXPECT_EQ(preferences.doubleValue(PreferenceKey::customStayAwakeSeconds), 9000.0);
    EXPECT_EQ(page.durationRows().back(), (Row{10, "Custom – 2 hours 30 minutes", true}));
    EXPECT_EQ(defaultRows(), Tags{10});

    page.addCustomDuration(); // the sheet shows the stored duration split up
    EXPECT_EQ(std::tuple(page.customHours(), page.customMinutes(), page.customSecondsInput()), std::tuple(2, 30, 0));

    page.selectDuration(7);
    EXPECT_EQ(std::tuple(storedIndex(), storedUseCustom()), std::tuple(7, false));
    EXPECT_EQ(defaultRows(), Tags{7});

    page.selectDuration(10);
    page.removeCustomDuration();
    EXPECT_EQ(preferences.doubleValue(PreferenceKey::customStayAwakeSeconds), 0.0);
    EXPECT_EQ(std::tuple(page.selectedDurationIndex(), page.selectedDurationIsCustom()), std::tuple(7, false));
    EXPECT_EQ(std::tuple(storedIndex(), storedUseCustom()), std::tuple(7, false));
    EXPECT_EQ(page.durationRows().size(), 10u);
    EXPECT_EQ(defaultRows(), Tags{7});
}

TEST_F(QuenbyGuardPage, OpeningThePageKeepsACustomDefaultWhichNeedsACustomDurationAndResetMakesOffTheDefault) {
    preferences.setInteger(PreferenceKey::activationDurationIndex, 7);
    preferences.setBool(PreferenceKey::useCustomStayAwakeDefault, true);
    page.pageDidAppear();
    EXPECT_TRUE(storedUseCustom());
    EXPECT_TRUE(page.selectedDurationIsCustom());

    preferences.setBool(PreferenceKey::useCustomStayAwakeDefault, false);
    const int writes = preferences.writeCount();
    page.makeHighlightedDefault();
    page.selectDuration(10); // there is no custom row to highlight
    EXPECT_EQ(preferences.writeCount(), writes);

    page.reset();
    EXPECT_EQ(std::tuple(storedIndex(), storedUseCustom(), page.selectedDurationIndex()), std::tuple(0, false, 0));
    EXPECT_EQ(defaultRows(), Tags{0});
}

TEST_F(QuenbyGuardPage, SheetFieldsTakeWholeNumbersUpTo999AndAnEmptyDurationAddsNothing) {
    page.addCustomDuration();
    for (const char* refused : {"1000", "-1", "abc", "1.5", ""})
        EXPECT_FALSE(page.setCustomHours(refused)) << refused;
    EXPECT_EQ(page.customHours(), 1);
    EXPECT_TRUE(page.setCustomMinutes("999"));

    ASSERT_TRUE(page.setCustomHours("0"));
    ASSERT_TRUE(page.setCustomMinutes("0"));
    page.addDuration();
    EXPECT_FALSE(page.showCustomDurationSheet());
    EXPECT_FALSE(preferences.hasObject(PreferenceKey::customStayAwakeSeconds));
}

class BatteryPage : public ::testing::Test {
protected:
    double storedCap() { return preferences.doubleValue(PreferenceKey::batteryCap); }

    VirtualRuntime runtime;
    MemoryPreferenceStore preferences;
    FakePowerSources powerSources;
    BatterySettingsModel page{runtime, preferences, powerSources};
};

TEST_F(BatteryPage, WithoutABatteryThePageIsReadOnlyAndWithOneTheThresholdIsStoredAsAWholePercentage) {
    page.pageDidAppear();
    EXPECT_FALSE(page.isEditable());
    page.setBatteryCap(50);
    page.setDisableOnLowPower(true);
    EXPECT_EQ(preferences.writeCount(), 0);
    powerSources.setBatteryPercent(80);
    page.pageDidAppear();
    EXPECT_FALSE(page.hasBattery()) << "looked for once per page";

    BatterySettingsModel reopened{runtime, preferences, powerSources};
    reopened.pageDidAppear();
    EXPECT_EQ(reopened.thresholdText(), "Deactivate below 20%");
    EXPECT_FALSE(preferences.hasObject(PreferenceKey::batteryCap));
    reopened.setBatteryCap(20.5);
    EXPECT_EQ(storedCap(), 21);
    reopened.setBatteryCap(20.4);
    EXPECT_EQ(storedCap(), 20);

    // A fraction written elsewhere while the page is open is rounded as well.
    preferences.setDouble(PreferenceKey::batteryCap, 42.7);
    EXPECT_EQ(reopened.thresholdText(), "Deactivate below 42%");
    runtime.runUntilIdle();
    EXPECT_EQ(storedCap(), 43);
}

} // namespace
