#include "e2e/RunningApp.h"

#include <gtest/gtest.h>

namespace tallowmere::test {
namespace {

class ProtectionLoopEndToEnd : public ::testing::Test {
protected:
    RunningApp app;

    void SetUp() override {
        app.defaults("autoEjectBeforeSleep", "-bool", "true");
        app.defaults("unmountInsteadOfEject", "-bool", "true");
        app.defaults("autoEjectRemountDelaySeconds", "-float", "0.2");
    }
    // Waits for a notification with one of the given bodies.
    bool notified(const std::string& title, const std::vector<std::string>& bodies) {
        return app.waitFor({"notifications"}, [&](const std::string& listing) {
            for (const std::string& body : bodies)
                if (listing.find("\t" + title + "\t" + body + "\n") != std::string::npos)
                    return true;
            return false;
        });
    }
};

TEST_F(ProtectionLoopEndToEnd, SleepTakesTheVolumesOfflineAndWakeBringsThemBack) {
    app.macsim({"volume", "add", "Backup"});
    app.macsim({"volume", "add", "Photos 2026", "--kind", "ssd"});
    ASSERT_TRUE(app.start());

    double allowed = RunningApp::allowedAfter(app.macsim({"sleep"}).out);
    EXPECT_GE(allowed, 0.5); // the fixed wait before an unmount
    EXPECT_LT(allowed, 5.0);
    EXPECT_EQ(app.volumeState("Backup"), "unmounted");
    EXPECT_EQ(app.volumeState("Photos 2026"), "unmounted");
    EXPECT_EQ(app.macsim({"assertions"}).out, ""); // the eject's assertion is released

    app.macsim({"wake"});
    EXPECT_TRUE(app.waitFor({"volume", "list"},
                            [](const std::string& listing) { return listing.find("unmounted") == std::string::npos; }));
    // The names come in the order the volumes came back.
    EXPECT_TRUE(notified("Disks Remounted", {"Successfully remounted after wake: Backup, Photos 2026",
                                             "Successfully remounted after wake: Photos 2026, Backup"}))
        << app.macsim({"notifications"}).out;
}

TEST_F(ProtectionLoopEndToEnd, LockEjectsAndUnlockRemountsWithTheScreenLockTrigger) {
    app.macsim({"defaults", "write", "autoEjectTriggers", "-array", "screenLocked"});
    app.macsim({"volume", "add", "Backup"});
    ASSERT_TRUE(app.start());

    app.macsim({"lock"});
    EXPECT_TRUE(
        app.waitFor({"volume", "list"}, [](const std::string& l) { return l.find("unmounted") != std::string::npos; }));
    app.macsim({"unlock"});
    EXPECT_TRUE(app.waitFor({"volume", "list"},
                            [](const std::string& l) { return l.find("\tmounted\t") != std::string::npos; }));
    EXPECT_TRUE(notified("Disks Remounted", {"Successfully remounted after wake: Backup"}));
}

TEST_F(ProtectionLoopEndToEnd, WithTheMasterSwitchOffSleepIsAnsweredAtOnceAndNothingIsTouched) {
    app.defaults("autoEjectBeforeSleep", "-bool", "false");
    app.macsim({"volume", "add", "Backup"});
    ASSERT_TRUE(app.start());

    double allowed = RunningApp::allowedAfter(app.macsim({"sleep"}).out);
    EXPECT_GE(allowed, 0.0);
    EXPECT_LT(allowed, 0.5);
    EXPECT_EQ(app.volumeState("Backup"), "mounted");
    app.macsim({"wake"});
    app.macsim({"lock"});
    EXPECT_EQ(app.volumeState("Backup"), "mounted");
    EXPECT_EQ(app.output().find("DEBUG: No external disks to eject"), std::string::npos);
}

TEST_F(ProtectionLoopEndToEnd, ABusyVolumeStaysAndDoesNotHoldTheSleep) {
    app.macsim({"volume", "add", "Busy Disk", "--busy"});
    app.macsim({"volume", "add", "Backup"});
    ASSERT_TRUE(app.start());

    double allowed = RunningApp::allowedAfter(app.macsim({"sleep"}).out);
    EXPECT_GE(allowed, 0.5);
    EXPECT_LT(allowed, 12.0);
    EXPECT_EQ(app.volumeState("Busy Disk"), "mounted");
    EXPECT_EQ(app.volumeState("Backup"), "unmounted");

    app.macsim({"wake"});
    // Only the volume that went offline comes back and is reported.
    EXPECT_TRUE(notified("Disks Remounted", {"Successfully remounted after wake: Backup"}));
}

TEST_F(ProtectionLoopEndToEnd, NothingToEjectIsLoggedAndTheSleepIsAllowed) {
    ASSERT_TRUE(app.start());
    double allowed = RunningApp::allowedAfter(app.macsim({"sleep"}).out);
    EXPECT_GE(allowed, 0.0);
    EXPECT_LT(allowed, 0.5);
    EXPECT_TRUE(app.waitForOutput("DEBUG: No external disks to eject"));
}

TEST(GuardEndToEnd, WritingTheGuardPreferenceHoldsAndReleasesItsAssertion) {
    RunningApp app;
    ASSERT_TRUE(app.start());
    auto guardAssertion = [](const std::string& type) {
        return [type](const std::string& listing) {
            return listing.find("\t" + type + "\tTallowmere Quenby Guard Requested\n") != std::string::npos;
        };
    };
    app.defaults("stayAwakeEnabled", "-bool", "true");
    EXPECT_TRUE(app.waitFor({"assertions"}, guardAssertion("PreventUserIdleDisplaySleep")));

    app.defaults("stayAwakeEnabled", "-bool", "false");
    EXPECT_TRUE(app.waitFor({"assertions"}, [](const std::string& listing) { return listing.empty(); }));
    EXPECT_TRUE(app.waitFor({"notifications"}, [](const std::string& listing) {
        return listing.find("\tQuenby Guard Turned Off\tQuenbyGuard is no longer keeping your Mac awake.\n") !=
               std::string::npos;
    }));

    app.defaults("allowDisplaySleep", "-bool", "true");
    app.defaults("stayAwakeEnabled", "-bool", "true");
    EXPECT_TRUE(app.waitFor({"assertions"}, guardAssertion("PreventUserIdleSystemSleep")));
}

TEST(GuardEndToEnd, TheExternalDisplayRuleFollowsTheScreens) {
    RunningApp app;
    app.defaults("activateOnExternalDisplay", "-bool", "true");
    ASSERT_TRUE(app.start());
    app.macsim({"screens", "2"});
    EXPECT_TRUE(app.waitFor({"assertions"}, [](const std::string& l) {
        return l.find("Tallowmere Quenby Guard Requested") != std::string::npos;
    }));
    EXPECT_EQ(app.macsim({"defaults", "read", "stayAwakeEnabled"}).out, "1\n");
    app.macsim({"screens", "1"});
    EXPECT_TRUE(app.waitFor({"assertions"}, [](const std::string& l) { return l.empty(); }));
}

} // namespace
} // namespace tallowmere::test
