#include "disks/DiskManagerFixture.h"
#include "models/AboutSettingsModel.h"
#include "models/AutoEjectSettingsModel.h"
#include "models/GeneralSettingsModel.h"
#include "models/UpdatesSettingsModel.h"
#include "models/VolumeNames.h"
#include "support/FakeServices.h"
#include "support/ScriptedDisks.h"

#include <thread>

using namespace tallowmere;
using namespace tallowmere::test;

namespace {

TEST(GeneralPage, LoginItemFollowsEveryChangeOfTheShownValueAlsoFromOutsideWhileThePageIsThere) {
    VirtualRuntime runtime;
    MemoryPreferenceStore preferences;
    FakeWorkspace workspace;
    FakeProcessRunner processes;
    std::vector<bool> calls;
    auto page = std::make_unique<GeneralSettingsModel>(
        GeneralSettingsModel::Services{runtime, preferences, workspace, processes},
        [&](bool on) { calls.push_back(on); });
    page->setStartAtLogin(false);
    page->setStartAtLogin(false);
    EXPECT_EQ(calls, std::vector<bool>{false});

    // A write from another thread reaches the page on the main queue.
    std::thread([&] { preferences.setBool(PreferenceKey::startAtLogin, true); }).join();
    EXPECT_EQ(calls.size(), 1u);
    runtime.runUntilIdle();
    EXPECT_EQ(calls, (std::vector<bool>{false, true}));

    // A notification on its way when the page goes is dropped.
    preferences.setBool(PreferenceKey::startAtLogin, false);
    page.reset();
    runtime.runUntilIdle();
    EXPECT_EQ(calls.size(), 2u);
    EXPECT_EQ(preferences.observerCount(), 0u);
}

TEST(SettingsPages, UpdatesMirrorTheAutomaticCheckToTheUpdaterAndLinksOpenThroughTheWorkspace) {
    VirtualRuntime runtime;
    MemoryPreferenceStore preferences;
    FakeBundle bundle;
    FakeWorkspace workspace;
    FakeUpdater updater;
    int checks = 0;
    UpdatesSettingsModel page(bundle, workspace, {[&] { return &updater; }, [&] { ++checks; }});
    EXPECT_EQ(page.versionText(), "1.0 (build 7)");
    bundle.info["CFBundleVersion"] = "";
    EXPECT_EQ(page.versionText(), "1.0");
    bundle.info["CFBundleShortVersionString"] = std::int64_t(1);
    EXPECT_EQ(page.versionText(), "Unknown");

    page.pageDidAppear();
    EXPECT_FALSE(page.automaticallyChecksForUpdates());
    page.setAutomaticallyChecksForUpdates(true);
    EXPECT_TRUE(updater.automatic);
    page.checkForUpdates();
    EXPECT_EQ(checks, 1);

    // Without the application delegate: shown on, and neither control can be used.
    UpdatesSettingsModel orphan(bundle, workspace, {});
    updater.automatic = false;
    orphan.pageDidAppear();
    EXPECT_TRUE(orphan.automaticallyChecksForUpdates());
    EXPECT_FALSE(orphan.canChangeAutomaticChecks());
    EXPECT_FALSE(orphan.canCheckForUpdates());

    int welcomeGuides = 0;
    // The desktop's own notification settings where one is known; none elsewhere.
    FakeProcessRunner processes;
    for (const char* desktop : {"", "KDE", "X-Cinnamon"}) {
        GeneralSettingsModel general({runtime, preferences, workspace, processes,
                                      *desktop ? PlatformFeatures::linuxDesktop(desktop, true) : PlatformFeatures{}},
                                     {});
        EXPECT_EQ(general.canOpenNotificationSettings(), std::string(desktop) != "X-Cinnamon");
        general.openNotificationSettings();
    }
    EXPECT_EQ(processes.detached(), (std::vector<std::vector<std::string>>{{"systemsettings", "kcm_notifications"}}));
    orphan.openReleaseNotes();
    AboutSettingsModel about(bundle, workspace, [&] { ++welcomeGuides; });
    about.contactSupport();
    about.openPrivacyPolicy();
    about.showWelcomeGuide();
    EXPECT_EQ(workspace.openRequests(),
              (std::vector<std::string>{"x-apple.systempreferences:com.apple.preference.notifications",
                                        "https://tallowmere.app/#release-notes",
                                        "mailto:support@tallowmere.app?subject=Tallowmere%20Support%20Request",
                                        "https://tallowmere.app/policies"}));
    EXPECT_EQ(welcomeGuides, 1);
}

class AutoEjectPage : public DiskManagerTest {
protected:
    ScriptedDisks disks{runtime, processes, fileSystem, workspace, tools};
    AutoEjectSettingsModel page{runtime, preferences, manager};
};

TEST_F(AutoEjectPage, UntickingEveryTriggerStoresNothingAndTheNextLoadFallsBack) {
    page.loadTriggers();
    EXPECT_TRUE(page.isTriggerSelected(AutoEjectTrigger::systemSleep));
    EXPECT_EQ(preferences.object(PreferenceKey::autoEjectTriggers), PropertyValue(PropertyArray{"systemSleep"}));
    page.setTrigger(AutoEjectTrigger::systemSleep, false);
    EXPECT_EQ(preferences.object(PreferenceKey::autoEjectTriggers), PropertyValue(PropertyArray{}));
    page.loadTriggers();
    EXPECT_TRUE(page.isTriggerSelected(AutoEjectTrigger::systemSleep));

    // A list written elsewhere shows at once.
    preferences.setArray(PreferenceKey::autoEjectTriggers, PropertyArray{"displaySleep", "bogus"});
    runtime.runUntilIdle();
    EXPECT_TRUE(page.isTriggerSelected(AutoEjectTrigger::displaySleep));
    EXPECT_FALSE(page.isTriggerSelected(AutoEjectTrigger::systemSleep));
}

TEST_F(AutoEjectPage, PageDefaultsAndTheRemountDelayWithinTheSlider) {
    EXPECT_FALSE(page.isOn(AutoEjectSettingsModel::Toggle::ejectSDCards));
    EXPECT_TRUE(page.isOn(AutoEjectSettingsModel::Toggle::unmountInsteadOfEject));
    EXPECT_EQ(page.remountDelayText(), "3.0s");
    page.setRemountDelaySeconds(3.3);
    EXPECT_EQ(preferences.doubleValue(PreferenceKey::autoEjectRemountDelaySeconds), 3.5);
    for (auto [stored, shown] : {std::pair(40.0, "15.0s"), std::pair(-1.0, "0.0s"), std::pair(std::nan(""), "3.0s")}) {
        preferences.setDouble(PreferenceKey::autoEjectRemountDelaySeconds, stored);
        EXPECT_EQ(page.remountDelayText(), shown);
    }
}

TEST_F(AutoEjectPage, VolumesOfEveryKindAppearByNameAfterTheLoadingWindowAndLeavingOneOutReloadsThem) {
    disks.add("beta");
    disks.add("Alpha");
    preferences.setBool(PreferenceKey::ejectHardDisksAndSSDs, false); // not among the kinds ejected
    page.pageDidAppear();
    EXPECT_TRUE(page.isLoadingVolumes());
    runtime.advance(0.29s);
    EXPECT_TRUE(page.isLoadingVolumes());
    runtime.advance(0.01s);
    EXPECT_FALSE(page.isLoadingVolumes());
    std::vector<std::string> names; // classified in parallel, in no fixed order, and shown by name
    for (const VolumeSelection& volume : page.volumeSelections())
        names.push_back(volume.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta"}));

    // Leaving one out reloads the list; counted first, as the reload may start on a worker at once.
    auto isInfo = [](const ProcessRequest& r) { return isDiskutil(r, "info"); };
    const int infoCalls = processes.count(isInfo);
    page.setVolumeIncluded(page.volumeSelections()[0], false);
    runtime.advance(1s);
    EXPECT_GT(processes.count(isInfo), infoCalls);
}

TEST(VolumeNames, SortedInTheUsersLanguageIgnoringCaseWithNumbersByValueAndEqualNamesByPath) {
    std::vector<VolumeSelection> volumes;
    for (std::string name : {"Zebra", "Öl", "disk 10", "Disk 2", "Oak", "Oak"})
        volumes.push_back({name, name, "/Volumes/" + name + (volumes.size() == 4 ? " 1" : "")});
    auto paths = [](const std::vector<VolumeSelection>& sorted) {
        std::vector<std::string> paths;
        for (const VolumeSelection& volume : sorted)
            paths.push_back(volume.path);
        return paths;
    };
    EXPECT_EQ(paths(sortedByName(volumes, QLocale("en_US"))),
              (std::vector<std::string>{"/Volumes/Disk 2", "/Volumes/disk 10", "/Volumes/Oak", "/Volumes/Oak 1",
                                        "/Volumes/Öl", "/Volumes/Zebra"}));
    EXPECT_EQ(paths(sortedByName(volumes, QLocale("sv_SE")))[5], "/Volumes/Öl"); // after Z in Swedish
}

} // namespace
