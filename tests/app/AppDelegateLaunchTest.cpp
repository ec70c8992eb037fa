#include "app/DelegateHarness.h"

namespace tallowmere::test {
namespace {

using DelegateLaunch = DelegateTest;

TEST_F(DelegateLaunch, FirstLaunchSeedsKeysGreetsOpensOnboardingAndAsksForFullDiskAccessOnce) {
    disks.add("Backup");
    denyFullDiskAccess();
    launch();

    EXPECT_TRUE(preferences.boolValue(PreferenceKey::hasLaunchedOnce));
    EXPECT_EQ(*preferences.object(PreferenceKey::autoEjectRemountDelaySeconds), PropertyValue(3.0));
    EXPECT_EQ(stringArray(*preferences.object(PreferenceKey::autoEjectTriggers)),
              std::vector<std::string>{"systemSleep"});
    EXPECT_TRUE(preferences.boolValue(PreferenceKey::hasCompletedOnboarding));

    EXPECT_EQ(countSignals("firstLaunch"), 1);
    EXPECT_TRUE(posted().at(0).defaultSound); // the greeting
    // The first-launch listing classifies the mounted volume in the background.
    EXPECT_EQ(diskutilCalls("info"), 1);

    runtime.advance(0.9s);
    EXPECT_FALSE(log.contains("Tallowmere: Executing Full Disk Access check now"));
    runtime.advance(0.1s);
    EXPECT_TRUE(log.contains("Tallowmere: Showing Full Disk Access prompt (first time for this install)"));
    ASSERT_EQ(windows.built["prompt"].size(), 1u);
    EXPECT_EQ(windows.built["prompt"][0]->prompt.title, "Full Disk Access Required");
    // An eject asked for while the prompt is up brings the same window to the front.
    delegate->ejectDisks();
    runtime.runUntilIdle();
    EXPECT_EQ(windows.built["prompt"].size(), 1u);
    EXPECT_EQ(windows.built["prompt"][0]->shown, 2);

    // The next launch of the same installation only logs.
    auto second = AppDelegate::create({platform, power, analytics, windows, alerts});
    second->applicationDidFinishLaunching();
    runtime.advance(1s);
    EXPECT_TRUE(log.contains("Tallowmere: Full Disk Access not granted, prompt already shown previously"));
    EXPECT_EQ(windows.built["prompt"].size(), 1u);
}

// A desktop without an updater, Full Disk Access or a tray: none of them is touched, and the first launch says where
// the commands are instead.
TEST_F(DelegateLaunch, OnADesktopWithoutUpdaterAccessPermissionOrTrayNoneIsUsedAndTheFirstLaunchSaysWhereToGo) {
    platform.features = PlatformFeatures::linuxDesktop("GNOME", false);
    disks.add("Backup");
    denyFullDiskAccess();
    launch();
    delegate->ejectDisks();
    delegate->checkForUpdates();
    runtime.advance(5s);
    EXPECT_EQ(
        notifications.titles(),
        (std::vector<std::string>{"Tallowmere is ready", "Tallowmere Is Running Without an Icon", "Disks Unmounted"}));
    EXPECT_EQ(posted()[0].body,
              "Tallowmere will manage external disks and keep your computer awake based on your settings.");
    EXPECT_FALSE(log.contains("Full Disk Access"));
    EXPECT_EQ(updaterFramework.controllersMade, 0);
    EXPECT_EQ(delegate->context().updater(), nullptr);
}

TEST_F(DelegateLaunch, LaterLaunchSendsOnlyItsEventShowsNothingAndAppliesTheLaunchSwitches) {
    disks.add("Backup");
    updaterFramework.updater.automatic = false;
    preferences.setBool(PreferenceKey::activateAutoEjectOnLaunch, true);
    preferences.setBool(PreferenceKey::autoEjectBeforeSleep, false);
    preferences.setBool(PreferenceKey::activateStayAwakeOnLaunch, true);
    preferences.setInteger(PreferenceKey::activationDurationIndex, 1); // indefinitely: not started at launch
    preferences.setBool(PreferenceKey::stayAwakeEnabled, true);        // as the previous run left it
    launchAgain();
    EXPECT_FALSE(preferences.boolValue(PreferenceKey::stayAwakeEnabled)) << "the switch shows the guard off";

    EXPECT_EQ(signalNames(), std::vector<std::string>{"appLaunched"});
    EXPECT_TRUE(posted().empty());
    EXPECT_TRUE(windows.built["onboarding"].empty());
    EXPECT_EQ(diskutilCalls("info"), 0);
    EXPECT_TRUE(updaterFramework.updater.automatic) << "switched on again at every launch";
    EXPECT_TRUE(preferences.boolValue(PreferenceKey::autoEjectBeforeSleep)) << "switched on at every launch";
    EXPECT_TRUE(assertions.created().empty());

    // Granted access is remembered without a prompt.
    preferences.setBool(PreferenceKey::hasCheckedFullDiskAccess, false);
    runtime.advance(1s);
    EXPECT_TRUE(log.contains("Tallowmere: Full Disk Access is granted, no prompt needed"));
    EXPECT_TRUE(preferences.boolValue(PreferenceKey::hasCheckedFullDiskAccess));
    EXPECT_TRUE(windows.built["prompt"].empty());
}

TEST_F(DelegateLaunch, SubscribesTheTwelveObserversInOrderAndStartsThePowerMonitorUntilTermination) {
    auto order = std::make_shared<std::vector<std::string>>();
    application.defaultCenter().recordSubscriptionsInto(order);
    workspace.notificationCenter().recordSubscriptionsInto(order);
    application.distributedCenter().recordSubscriptionsInto(order);
    launchAgain();
    EXPECT_EQ(*order, (std::vector<std::string>{
                          "NSApplicationDidChangeScreenParametersNotification",
                          "NSWorkspaceSessionDidResignActiveNotification", "NSWorkspaceWillSleepNotification",
                          "NSWorkspaceDidWakeNotification", "NSWorkspaceDidMountNotification",
                          "NSWorkspaceDidUnmountNotification", "NSWorkspaceScreensDidSleepNotification",
                          "NSWorkspaceScreensDidWakeNotification", "com.apple.screensaver.didstart",
                          "com.apple.screensaver.didstop", "com.apple.screenIsLocked", "com.apple.screenIsUnlocked"}));
    // The guard's two rules hear theirs.
    preferences.setBool(PreferenceKey::activateOnExternalDisplay, true);
    preferences.setBool(PreferenceKey::deactivateOnUserSwitch, true);
    application.screens = 2;
    application.defaultCenter().post("NSApplicationDidChangeScreenParametersNotification");
    runtime.runUntilIdle();
    EXPECT_TRUE(stayAwakeController().isActive());
    workspace.notificationCenter().post("NSWorkspaceSessionDidResignActiveNotification");
    runtime.runUntilIdle();
    EXPECT_FALSE(stayAwakeController().isActive());

    // Termination stops the power monitor and leaves the guard to the system.
    stayAwakeController().activate(std::nullopt);
    delegate->applicationWillTerminate();
    EXPECT_FALSE(power->isMonitoring());
    EXPECT_EQ(assertions.held().size(), 1u);

    // A destroyed delegate leaves no observer behind.
    delegate.reset();
    EXPECT_EQ(application.distributedCenter().observerCount("com.apple.screenIsLocked"), 0);
    EXPECT_EQ(preferences.observerCount(), 0u);
}

// On a first launch too: the seeded defaults leave an explicit choice alone.
TEST_F(DelegateLaunch, AnExplicitLoginChoiceIsKeptAndTheGuardStartsForTheCustomDefault) {
    preferences.setBool(PreferenceKey::startAtLogin, false);
    preferences.setBool(PreferenceKey::activateStayAwakeOnLaunch, true);
    preferences.setBool(PreferenceKey::useCustomStayAwakeDefault, true);
    preferences.setDouble(PreferenceKey::customStayAwakeSeconds, 5400);
    launch();
    EXPECT_EQ(loginItem.calls, std::vector<bool>{false});
    EXPECT_EQ(stayAwakeController().activeUntil(), VirtualRuntime::wallEpoch() + std::chrono::seconds(5400));
    EXPECT_TRUE(preferences.boolValue(PreferenceKey::stayAwakeEnabled));
    EXPECT_TRUE(stayAwakeController().isActive()) << "the switch's write is not a second request";
}

} // namespace
} // namespace tallowmere::test
