#include "app/DelegateHarness.h"

#include "platform/SystemPower.h"

namespace tallowmere::test {
namespace {

class Commands : public DelegateTest {
protected:
    void SetUp() override {
        launchAgain();
        runtime.advance(1s); // the launch-time access check
    }
};

// The eject ignores the auto-eject allowlist.
TEST_F(Commands, WithoutFullDiskAccessEjectAsksFirstAndEjectsOnlyOnContinueAnyway) {
    denyFullDiskAccess();
    disks.add("Backup");
    preferences.setArray(PreferenceKey::autoEjectAllowedVolumeIds, PropertyArray{"disk99s1"});
    delegate->ejectDisks();
    runtime.advance(5s);
    EXPECT_TRUE(disks.isMounted("Backup"));
    auto& prompts = windows.built["prompt"];
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0]->prompt.title, "Full Disk Access Recommended");
    EXPECT_EQ(prompts[0]->prompt.secondaryTitle, "Continue Anyway");

    prompts[0]->prompt.primaryAction(); // "Open System Settings"
    runtime.advance(5s);
    EXPECT_TRUE(disks.isMounted("Backup"));
    EXPECT_EQ(workspace.openRequests(),
              std::vector<std::string>{"x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles"});
    EXPECT_EQ(prompts[0]->closed, 1);
    EXPECT_TRUE(prompts[0]->destroyed);

    delegate->ejectDisks();
    runtime.advance(1s);
    ASSERT_EQ(prompts.size(), 2u);
    prompts[1]->prompt.secondaryAction(); // "Continue Anyway"
    runtime.advance(5s);
    EXPECT_FALSE(disks.isMounted("Backup"));
    EXPECT_TRUE(wasPosted("Disks Unmounted", "Successfully unmounted: Backup"));
}

TEST_F(Commands, RemountWithNothingEjectedSaysSoEjectAndSleepLogsWhatWentOfflineAndAFailedSleepIsReported) {
    delegate->remountDisks();
    runtime.runUntilIdle();
    EXPECT_TRUE(wasPosted("No Disks Remounted", "No previously ejected disks were available to remount."));

    preferences.setBool(PreferenceKey::unmountInsteadOfEject, true);
    disks.add("Backup");
    delegate->ejectAndSleep();
    runtime.advance(5s);
    EXPECT_TRUE(log.contains("Successfully unmounted disks before sleep: /Volumes/Backup"));

    processes.setDetachedError("The operation couldn’t be completed. No such file or directory");
    delegate->sleepMac();
    runtime.runUntilIdle();
    EXPECT_TRUE(log.contains("Failed to execute pmset sleepnow: The operation couldn’t be completed. No such file or "
                             "directory"));
    EXPECT_TRUE(wasPosted(
        "Sleep Failed", "Unable to put Mac to sleep: The operation couldn’t be completed. No such file or directory"));
}

TEST_F(Commands, QuitReleasesTheGuardSilentlyAndStopsThePowerMonitor) {
    delegate->stayAwakeForDuration(ActivationDuration::hr1);
    runtime.runUntilIdle();
    const size_t before = posted().size();
    delegate->quit();
    runtime.runUntilIdle();
    EXPECT_TRUE(assertions.held().empty());
    EXPECT_EQ(posted().size(), before);
    EXPECT_FALSE(power->isMonitoring());
    EXPECT_EQ(application.terminations.load(), 1);
}

TEST_F(Commands, SettingsAreBuiltOnceTheWelcomeGuideEachTimeAndUpdatesUseTheOneUpdater) {
    delegate->showSettingsSection(SettingsSection::about);
    EXPECT_EQ(preferences.integerValue(PreferenceKey::settingsTabIndex), 5);
    delegate->showSettings();
    ASSERT_EQ(windows.built["settings"].size(), 1u);
    EXPECT_EQ(windows.built["settings"][0]->shown, 2);
    EXPECT_EQ(application.activations.load(), 2);

    delegate->relaunchOnboarding();
    delegate->relaunchOnboarding();
    auto guides = windows.built["onboarding"];
    ASSERT_EQ(guides.size(), 2u);
    // The replaced window may be the one whose button asked: it goes only on the next turn.
    EXPECT_FALSE(guides[0]->destroyed);
    runtime.runUntilIdle();
    EXPECT_TRUE(guides[0]->destroyed);
    EXPECT_FALSE(guides[1]->destroyed);

    delegate->checkForUpdates();
    delegate->checkForUpdates();
    EXPECT_EQ(updaterFramework.checks, 2);
    EXPECT_EQ(updaterFramework.controllersMade, 1);
}

// A session the preference started ends by the wall clock across a sleep; unrelated writes never restart it.
TEST_F(Commands, ATimedGuardEndsAcrossASleepAndUnrelatedWritesNeverRestartIt) {
    preferences.setInteger(PreferenceKey::activationDurationIndex, 2); // 5 min
    preferences.setBool(PreferenceKey::stayAwakeEnabled, true);
    runtime.runUntilIdle();
    ASSERT_TRUE(stayAwakeController().isActive());
    runtime.advance(60s);
    runtime.advanceWallClock(1h); // asleep: the monotonic clock stands still
    systemPower.deliver(PowerMessage::systemHasPoweredOn, 5);
    runtime.runUntilIdle();
    EXPECT_FALSE(stayAwakeController().isActive());
    EXPECT_EQ(notifications.titles().back(), "Quenby Guard Session Finished");
    EXPECT_FALSE(preferences.boolValue(PreferenceKey::stayAwakeEnabled)) << "the switch follows the guard";

    // A mount refresh records the seen volumes from a background thread.
    disks.add("Backup");
    workspace.notificationCenter().post("NSWorkspaceDidMountNotification");
    runtime.advance(1s);
    EXPECT_TRUE(preferences.hasObject(PreferenceKey::autoEjectSeenVolumeIds));
    EXPECT_EQ(assertions.created().size(), 1u);
    // The mount refreshed the volume list although auto-eject is off.
    EXPECT_EQ(diskManager().cachedVolumeSelections().at(0).name, "Backup");
}

} // namespace
} // namespace tallowmere::test
