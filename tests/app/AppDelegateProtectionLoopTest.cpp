#include "app/DelegateHarness.h"

#include "platform/SystemPower.h"

#include <limits>

namespace tallowmere::test {
namespace {

class ProtectionLoop : public DelegateTest {
protected:
    void SetUp() override {
        launchAgain();
        runtime.advance(1s); // the launch-time access check
        preferences.setBool(PreferenceKey::unmountInsteadOfEject, true);
    }
    // The power monitor's will-sleep message; returns once the eject has had its time.
    void systemWillSleep(std::intptr_t argument = 1) { systemPower.deliver(PowerMessage::systemWillSleep, argument); }
    void wake() { workspace.notificationCenter().post("NSWorkspaceDidWakeNotification"); }
};

TEST_F(ProtectionLoop, SleepEjectsTheAllowedVolumesHoldsTheSleepAndWakeBringsThemBack) {
    enableAutoEject();
    disks.add("Scratch");
    preferences.setArray(PreferenceKey::autoEjectAllowedVolumeIds,
                         PropertyArray{disks.add("Backup"), disks.add("Photos")});

    systemWillSleep(42);
    workspace.notificationCenter().post("NSWorkspaceWillSleepNotification"); // answered by the running eject
    auto created = assertions.created();
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].type, "PreventUserIdleSystemSleep");
    EXPECT_EQ(created[0].name, "Tallowmere: Ejecting external disks before sleep");
    EXPECT_EQ(created[0].level, 255u);
    EXPECT_TRUE(systemPower.allowed().empty());

    runtime.advance(0.5s);              // the fixed wait before each unmount
    EXPECT_EQ(disks.mountedCount(), 1); // Scratch
    EXPECT_EQ(systemPower.allowed(), (std::vector<FakeSystemPower::Allowed>{{7, 42}}));

    wake();
    systemPower.deliver(PowerMessage::systemHasPoweredOn, 43); // the second wake path is absorbed
    // First look at 3 s; mounting verifies for 0.5 s; the notice follows half a second later.
    runtime.advance(3.5s);
    EXPECT_EQ(disks.mountedCount(), 3);
    EXPECT_TRUE(posted().empty());
    runtime.advance(0.5s);
    EXPECT_EQ(posted().size(), 1u);
    // The run reads back from the log.
    for (const char* line :
         {"Trigger: sleep message: eject started", "Trigger: system will sleep: joins the running eject",
          "Auto eject: 2 volumes taken offline", "Trigger: system did wake: wake remount scheduled",
          "Trigger: powered on: ignored, a wake remount is pending", "Wake remount: remounting 2 volumes"})
        EXPECT_TRUE(log.contains(line)) << line;
}

TEST_F(ProtectionLoop, MasterSwitchOffKeepsTheLastEjectedListAndWakeRemountsNothing) {
    diskManager().setLastEjectedDisks({{"/Volumes/Old", "disk9s1", "Old"}});
    systemWillSleep(5);
    runtime.advance(20s);
    EXPECT_EQ(diskManager().lastEjectedDisks().at(0).volumeName, "Old");
    wake();
    runtime.advance(20s);
    EXPECT_EQ(diskutilCalls("mount"), 0);
    EXPECT_TRUE(log.contains("Trigger: sleep message: ignored, auto eject is off"));
    EXPECT_TRUE(log.contains("Trigger: system did wake: ignored, auto eject is off"));
}

struct TriggerCase {
    std::string trigger, event;
    bool ejects;
};

class TriggerMatrix : public ProtectionLoop, public ::testing::WithParamInterface<TriggerCase> {};

TEST_P(TriggerMatrix, EjectsOnlyOnItsEnabledTriggers) {
    const auto& [trigger, event, ejects] = GetParam();
    enableAutoEject({trigger});
    disks.add("Backup");
    if (event == "power") // the monitor's will-sleep, whatever the triggers
        systemWillSleep();
    else
        (event.starts_with("NS") ? workspace.notificationCenter() : application.distributedCenter()).post(event);
    runtime.advance(5s);
    EXPECT_EQ(!disks.isMounted("Backup"), ejects);
}

INSTANTIATE_TEST_SUITE_P(Triggers, TriggerMatrix,
                         ::testing::Values(TriggerCase{"screenLocked", "com.apple.screenIsLocked", true},
                                           TriggerCase{"screenLocked", "NSWorkspaceWillSleepNotification", false},
                                           TriggerCase{"screenLocked", "power", true},
                                           TriggerCase{"systemSleep", "NSWorkspaceWillSleepNotification", true},
                                           TriggerCase{"systemSleep", "NSWorkspaceScreensDidSleepNotification", false},
                                           TriggerCase{"systemSleep", "com.apple.screensaver.didstart", false},
                                           TriggerCase{"displaySleep", "NSWorkspaceScreensDidSleepNotification", true},
                                           TriggerCase{"screensaver", "com.apple.screensaver.didstart", true},
                                           TriggerCase{"screensaver", "com.apple.screenIsLocked", false}));

TEST_F(ProtectionLoop, PairedWakeEventsRemountOnlyForTheirTrigger) {
    enableAutoEject({"screenLocked"});
    disks.add("Backup");
    application.distributedCenter().post("com.apple.screenIsLocked");
    runtime.advance(5s);
    workspace.notificationCenter().post("NSWorkspaceScreensDidWakeNotification"); // not its pair
    application.distributedCenter().post("com.apple.screensaver.didstop");
    runtime.advance(20s);
    EXPECT_FALSE(disks.isMounted("Backup"));
    EXPECT_TRUE(log.contains("Trigger: display did wake: ignored, not a chosen trigger"));
    EXPECT_TRUE(log.contains("Trigger: screensaver stopped: ignored, not a chosen trigger"));
}

// A remount a wake scheduled gives way to a later eject trigger; what a remount brings back is announced as its pass
// ends, a volume it gives up is named, and a disk service that does not answer is a failure the user hears of.
TEST_F(ProtectionLoop, ARemountGivesWayToALaterEjectAndEveryOutcomeIsAnnounced) {
    enableAutoEject({"screenLocked", "displaySleep"});
    disks.add("Backup");
    for (const char* event : {"com.apple.screenIsLocked", "com.apple.screenIsUnlocked"}) {
        application.distributedCenter().post(event);
        runtime.advance(1s);
    }
    workspace.notificationCenter().post("NSWorkspaceScreensDidSleepNotification"); // within the remount delay
    runtime.advance(20s);
    EXPECT_FALSE(disks.isMounted("Backup"));
    EXPECT_TRUE(log.contains("Wake remount: gave way to an eject"));
    workspace.notificationCenter().post("NSWorkspaceScreensDidWakeNotification");
    runtime.advance(5s);
    EXPECT_TRUE(disks.isMounted("Backup"));

    diskManager().setLastEjectedDisks(
        {{"/Volumes/Photos", disks.add("Photos"), "Photos"}, {"/Volumes/Gone", "disk9s1", "Gone"}}); // Gone: unplugged
    disks.takeOffline("Photos");
    wake();
    runtime.advance(16.5s); // the first pass ends after the four attempts for Gone
    EXPECT_TRUE(wasPosted("Disks Remounted", "Successfully remounted after wake: Photos"));
    runtime.advance(120s);
    EXPECT_TRUE(wasPosted("Disk Not Remounted", "Gone could not be remounted; it may have been unplugged."));

    processes.when([](const ProcessRequest& r) { return r.arguments.size() == 3 && r.arguments[0] == "info"; },
                   [](const ProcessRequest&) { return FakeProcessRunner::timedOut(); });
    systemWillSleep();
    runtime.advance(1s);
    EXPECT_TRUE(log.contains("ERROR: No external disks were taken offline: diskutil did not answer about 2 volumes"));
    EXPECT_TRUE(wasPosted("Disks Not Taken Offline", "The disk service did not answer, so your external disks are "
                                                     "still mounted. Eject them before you disconnect them."));
}

// The eject stops holding the sleep at 10 s and is not counted, but its late result is still recorded; a remount
// delay beyond what the settings offer counts as fifteen seconds.
TEST_F(ProtectionLoop, ASlowEjectStopsHoldingTheSleepAfterTenSecondsAndTheWakeWaitsAtMostFifteen) {
    enableAutoEject();
    disks.add("Backup");
    disks.unmountDuration = 14s;
    systemWillSleep(9);
    runtime.advance(5s);
    systemWillSleep(10); // joins the running eject
    runtime.advance(4.9s);
    EXPECT_TRUE(systemPower.allowed().empty());
    runtime.advance(0.1s);
    EXPECT_EQ(systemPower.allowed(), (std::vector<FakeSystemPower::Allowed>{{7, 9}, {7, 10}}));
    EXPECT_TRUE(assertions.held().empty());
    EXPECT_TRUE(log.contains("Trigger: sleep message: joins the running eject"));
    EXPECT_TRUE(log.contains("Auto eject: still running after 10 s; the sleep goes ahead"));

    runtime.advance(10s); // the unmount ends at 14.5 s
    EXPECT_EQ(diskManager().lastEjectedDisks().at(0).volumeName, "Backup");
    EXPECT_EQ(countSignals("autoEjectPerformed"), 0);

    preferences.setDouble(PreferenceKey::autoEjectRemountDelaySeconds, 1e308);
    wake();
    runtime.advance(14.9s);
    EXPECT_FALSE(disks.isMounted("Backup"));
    runtime.advance(0.2s);
    EXPECT_TRUE(disks.isMounted("Backup"));
}

// When the last-ejected list is filled after the wake, and when the remount first lists the disks (-1: never).
struct WakeCase {
    std::optional<double> configuredDelay;
    double fillAt, firstRemount;
};

class WakeLooks : public ProtectionLoop, public ::testing::WithParamInterface<WakeCase> {};

// The wake looks at the last-ejected list after the delay (3 s unless a positive one is set), then every two
// seconds up to six looks in all.
TEST_P(WakeLooks, TheListIsLookedAtAfterTheDelayAndThenEveryTwoSecondsSixTimes) {
    const WakeCase& c = GetParam();
    enableAutoEject();
    if (c.configuredDelay)
        preferences.setDouble(PreferenceKey::autoEjectRemountDelaySeconds, *c.configuredDelay);
    std::string device = disks.add("Backup");
    disks.takeOffline("Backup");
    const std::vector<std::string> listing{"list", "-plist"};
    wake();
    double at = -1;
    for (double t = 0; t < 20; t += 0.5) {
        if (t == c.fillAt)
            diskManager().setLastEjectedDisks({{"/Volumes/Backup", device, "Backup"}});
        int before = processes.count(listing);
        runtime.advance(0.5s);
        if (at < 0 && processes.count(listing) > before)
            at = t + 0.5;
    }
    EXPECT_EQ(at, c.firstRemount);
    EXPECT_EQ(posted().empty(), c.firstRemount < 0);
    EXPECT_TRUE(
        log.contains(c.firstRemount < 0 ? "Wake remount: nothing to remount" : "Wake remount: remounting 1 volume"));
    wake(); // this wake is over: the next one is taken
    EXPECT_EQ(std::ranges::count(log.lines(), "Trigger: system did wake: wake remount scheduled"), 2);
}

INSTANTIATE_TEST_SUITE_P(Delays, WakeLooks,
                         ::testing::Values(WakeCase{std::nullopt, 0, 3}, WakeCase{std::nullopt, 7.5, 9},
                                           WakeCase{std::nullopt, 12.5, 13}, WakeCase{std::nullopt, 13.5, -1},
                                           WakeCase{0.0, 0, 3}, WakeCase{-4.0, 0, 3}, WakeCase{5.0, 0, 5}));

} // namespace
} // namespace tallowmere::test
