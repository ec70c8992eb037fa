#include "app/Preferences.h"
#include "support/MemoryPreferenceStore.h"

#include <gtest/gtest.h>

using namespace tallowmere;
using tallowmere::test::MemoryPreferenceStore;

namespace {

TEST(EnabledDiskTypes, ExactlyTheKindsSwitchedOnInRawValueOrderOrEveryKindWhenNoneIs) {
    MemoryPreferenceStore store;
    // None switched on: every kind, sdCards too although its switch shows off.
    EXPECT_EQ(enabledDiskTypes(store), std::vector<DiskType>(allDiskTypes.begin(), allDiskTypes.end()));

    store.setBool(PreferenceKey::ejectSDCards, true);
    store.setBool(PreferenceKey::ejectHardDisksAndSSDs, true);
    store.setBool(PreferenceKey::ejectDiskImages, true);
    EXPECT_EQ(enabledDiskTypes(store),
              (std::vector<DiskType>{DiskType::hardDisksAndSSDs, DiskType::diskImages, DiskType::sdCards}));
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
