#include "base/Preferences.h"
#include "support/MemoryPreferenceStore.h"

#include <gtest/gtest.h>

#include <limits>

using namespace tallowmere;
using tallowmere::test::MemoryPreferenceStore;

namespace {

TEST(PreferenceDefaults, AbsentKeysReadAsTheirSwitchesShowAndStoredValuesWin) {
    MemoryPreferenceStore store;
    // Nothing stored: every kind but SD cards, the unmount path, a 20 % battery threshold.
    EXPECT_EQ(enabledDiskTypes(store), (std::vector<DiskType>{DiskType::hardDisksAndSSDs, DiskType::dvdsAndCDs,
                                                              DiskType::diskImages, DiskType::networkDrives}));
    EXPECT_TRUE(boolPreference(store, PreferenceKey::unmountInsteadOfEject));
    EXPECT_FALSE(boolPreference(store, PreferenceKey::forceUnmountEnabled));
    EXPECT_EQ(doublePreference(store, PreferenceKey::batteryCap), 20.0);

    store.setBool(PreferenceKey::unmountInsteadOfEject, false);
    store.setDouble(PreferenceKey::batteryCap, std::numeric_limits<double>::quiet_NaN());
    EXPECT_FALSE(boolPreference(store, PreferenceKey::unmountInsteadOfEject));
    EXPECT_EQ(doublePreference(store, PreferenceKey::batteryCap), 20.0); // no value a control could show

    store.setBool(PreferenceKey::ejectSDCards, true);
    store.setBool(PreferenceKey::ejectDVDsAndCDs, false);
    store.setBool(PreferenceKey::ejectNetworkDrives, false);
    EXPECT_EQ(enabledDiskTypes(store),
              (std::vector<DiskType>{DiskType::hardDisksAndSSDs, DiskType::diskImages, DiskType::sdCards}));

    // Every kind switched off means every kind.
    for (DiskType type : allDiskTypes)
        store.setBool(inclusionKey(type), false);
    EXPECT_EQ(enabledDiskTypes(store), std::vector<DiskType>(allDiskTypes.begin(), allDiskTypes.end()));
}

TEST(LoadAutoEjectTriggers, KeepsKnownTextsMigratesTheOlderKeyOnceAndFallsBackToSystemSleep) {
    MemoryPreferenceStore store;
    store.setArray(PreferenceKey::autoEjectTriggers, PropertyArray{"screenLocked", "lidClosed"});
    EXPECT_EQ(loadAutoEjectTriggers(store), AutoEjectTriggerSet{AutoEjectTrigger::screenLocked});

    MemoryPreferenceStore older;
    older.setString(PreferenceKey::autoEjectTrigger, "displaySleep");
    EXPECT_EQ(loadAutoEjectTriggers(older), AutoEjectTriggerSet{AutoEjectTrigger::displaySleep});
    EXPECT_EQ(stringArray(*older.object(PreferenceKey::autoEjectTriggers)), std::vector<std::string>{"displaySleep"});
    EXPECT_TRUE(older.hasObject(PreferenceKey::autoEjectTrigger)); // never removed

    // Nothing usable: system sleep, written only by the settings variant.
    store.setArray(PreferenceKey::autoEjectTriggers, PropertyArray{});
    int writes = store.writeCount();
    EXPECT_EQ(loadAutoEjectTriggers(store), AutoEjectTriggerSet{AutoEjectTrigger::systemSleep});
    EXPECT_EQ(store.writeCount(), writes);

    // An array holding something other than text counts as unusable, and so does an unknown older value.
    store.setArray(PreferenceKey::autoEjectTriggers, PropertyArray{"screensaver", std::int64_t(3)});
    store.setString(PreferenceKey::autoEjectTrigger, "never");
    EXPECT_EQ(loadAutoEjectTriggers(store), AutoEjectTriggerSet{AutoEjectTrigger::systemSleep});

    MemoryPreferenceStore settings;
    EXPECT_EQ(loadAutoEjectTriggersWritingFallback(settings), AutoEjectTriggerSet{AutoEjectTrigger::systemSleep});
    EXPECT_EQ(stringArray(*settings.object(PreferenceKey::autoEjectTriggers)), std::vector<std::string>{"systemSleep"});
}

} // namespace
