#include "menu/MenuBarModel.h"
#include "app/DelegateHarness.h"

#include <set>

namespace tallowmere::test {
namespace {

using Titles = std::set<std::string>;

class MenuModel : public DelegateTest {
protected:
    void SetUp() override {
        launchAgain();
        runtime.advance(1s);
    }
    std::vector<MenuEntry> top() {
        runtime.runUntilIdle();
        return model.entries();
    }
    std::vector<MenuEntry> volumes() { return top()[4].children; }
    std::vector<MenuEntry> durations() { return top()[7].children; }
    static MenuEntry entry(const std::vector<MenuEntry>& entries, const std::string& title) {
        auto found = std::find_if(entries.begin(), entries.end(), [&](const MenuEntry& e) { return e.title == title; });
        EXPECT_NE(found, entries.end()) << title;
        return found != entries.end() ? *found : MenuEntry{};
    }
    static Titles checked(const std::vector<MenuEntry>& entries) {
        Titles titles;
        for (const MenuEntry& e : entries)
            if (e.checked)
                titles.insert(e.title);
        return titles;
    }

    MenuBarModel model{delegate};
};

TEST_F(MenuModel, ReadsUnmountWordingWhileNothingIsStoredAndEjectWordingWhenTurnedOff) {
    std::vector<std::string> titles;
    for (const MenuEntry& e : top())
        titles.push_back(e.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"Unmount External Disks", "Unmount and Sleep", "",
                                                "Remount Ejected Disks", "Auto Unmount Volumes", "",
                                                "Turn Quenby Guard On", "Quenby Guard for Duration", "", "Settings…",
                                                "About Tallowmere…", "Check for Updates…", "", "Quit Tallowmere"}));
    preferences.setBool(PreferenceKey::unmountInsteadOfEject, false);
    auto entries = top();
    EXPECT_EQ(entries[0].title, "Eject External Disks");
    EXPECT_EQ(entries[1].title, "Eject and Sleep");
    EXPECT_EQ(entries[4].title, "Auto Eject Volumes");
}

TEST_F(MenuModel, VolumesFollowTheRefreshOnOpeningAndUntickingOneKeepsTheOthersIncluded) {
    std::string backup = disks.add("Backup");
    std::string photos = disks.add("Photos");
    MenuEntry none = volumes()[0];
    EXPECT_EQ(none.title, "No external volumes detected");
    EXPECT_FALSE(none.enabled);

    model.menuWillOpen();
    EXPECT_EQ(checked(volumes()), (Titles{"Backup", "Photos"}));
    entry(volumes(), "Backup").action();
    EXPECT_EQ(stringArray(*preferences.object(ExternalDiskManager::allowlistKey)), std::vector<std::string>{photos});
    EXPECT_EQ(checked(volumes()), Titles{"Photos"});
    entry(volumes(), "Backup").action();
    entry(volumes(), "Force unmount when busy").action();
    EXPECT_EQ(checked(volumes()), (Titles{"Backup", "Photos", "Force unmount when busy"}));
    EXPECT_TRUE(preferences.boolValue(PreferenceKey::forceUnmountEnabled));

    EXPECT_FALSE(top()[3].enabled);
    top()[0].action();
    runtime.advance(5s);
    EXPECT_TRUE(top()[3].enabled);
}

TEST_F(MenuModel, OffIsMarkedAfterATimedGuardEnds) {
    entry(durations(), "5 min").action();
    EXPECT_EQ(checked(durations()), Titles{"5 min"});
    EXPECT_EQ(top()[6].title, "Turn Quenby Guard Off");
    runtime.advance(301s);
    EXPECT_EQ(checked(durations()), Titles{"Off"});
    EXPECT_EQ(top()[6].title, "Turn Quenby Guard On");
}

TEST_F(MenuModel, FourHoursChosenWhileOnForOneHourRestartsTheGuardAndMovesTheMark) {
    entry(durations(), "1 hr").action();
    runtime.advance(60s);
    entry(durations(), "4 hr").action();
    runtime.runUntilIdle();
    EXPECT_EQ(delegate->stayAwakeController().activeUntil(), runtime.wallNow() + std::chrono::seconds(14400));
    EXPECT_EQ(checked(durations()), Titles{"4 hr"});
}

TEST_F(MenuModel, SettingsItemsChooseTheSectionAndNothingKeepsTheDelegateAlive) {
    entry(top(), "About Tallowmere…").action();
    EXPECT_EQ(preferences.integerValue(PreferenceKey::settingsTabIndex), 5);
    entry(top(), "Settings…").action();
    EXPECT_EQ(preferences.integerValue(PreferenceKey::settingsTabIndex), 0);
    EXPECT_EQ(windows.built("settings")[0]->shown, 2);

    auto entries = top();
    delegate.reset();
    EXPECT_TRUE(model.entries().empty());
    entries[13].action();
    EXPECT_EQ(application.terminations, 0);
}

} // namespace
} // namespace tallowmere::test
