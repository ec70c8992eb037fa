// The settings window as a user drives it, through `macsim ui`, in the real application.
#include "e2e/RunningApp.h"

#include <gtest/gtest.h>

namespace tallowmere::test {
namespace {

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class SettingsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        app.macsim({"fda", "granted"});
        ASSERT_TRUE(app.start());
    }
    std::string dump() { return app.ui({"dump", "Settings"}).out; }
    bool waitForDump(const std::string& part) {
        return app.waitFor({"ui", "dump", "Settings"}, [&](const std::string& d) { return has(d, part); });
    }

    RunningApp app;
};

TEST_F(SettingsWindow, RemembersItsSectionAndOpensOnAboutFromTheMenu) {
    ASSERT_EQ(app.ui({"press", "Open Settings…", "Welcome to Tallowmere"}).exitCode, 0);
    EXPECT_TRUE(has(dump(), "row: ✓ General"));
    ASSERT_EQ(app.ui({"select", "Battery", "Settings"}).exitCode, 0);
    ASSERT_EQ(app.ui({"close", "Settings"}).exitCode, 0);
    EXPECT_FALSE(has(app.ui({"windows"}).out, "Settings"));
    app.ui({"press", "Open Settings…", "Welcome to Tallowmere"});
    EXPECT_TRUE(has(dump(), "row: ✓ Battery"));

    app.ui({"press", "Done", "Settings"});
    ASSERT_EQ(app.ui({"click", "About Tallowmere…"}).exitCode, 0);
    std::string about = dump();
    EXPECT_TRUE(has(about, "row: ✓ About"));
    EXPECT_TRUE(has(about, "text: Version 0.0.3"));
    ASSERT_EQ(app.ui({"click", "Settings…"}).exitCode, 0);
    EXPECT_TRUE(has(dump(), "row: ✓ About")) << "a window on screen keeps its section";
}

TEST_F(SettingsWindow, ControlsWriteTheirKeysAndFollowWritesFromOutside) {
    app.macsim({"volume", "add", "Alpha"});
    app.macsim({"volume", "add", "Beta"});
    app.ui({"click", "Settings…"});

    ASSERT_EQ(app.ui({"toggle", "Start at Login", "off"}).exitCode, 0);
    EXPECT_EQ(app.macsim({"login-item"}).out, "unregistered\n");
    app.ui({"toggle", "Start at Login", "on"});
    EXPECT_EQ(app.macsim({"login-item"}).out, "registered\n");

    app.ui({"select", "Quenby Guard"});
    ASSERT_EQ(app.ui({"toggle", "Quenby Guard Active", "on"}).exitCode, 0);
    EXPECT_TRUE(app.waitForListing({"assertions"}, "Tallowmere Quenby Guard Requested"));
    app.defaults("allowDisplaySleep", "-bool", "true");
    EXPECT_TRUE(waitForDump("toggle: Allow display to sleep = on"));

    app.ui({"select", "Auto Eject"});
    EXPECT_TRUE(waitForDump("toggle: Beta = on (/Volumes/Beta)"));
    ASSERT_EQ(app.ui({"toggle", "Beta", "off"}).exitCode, 0);
    EXPECT_TRUE(has(app.macsim({"defaults", "read", "autoEjectAllowedVolumeIds"}).out, "disk4s1"));
    EXPECT_FALSE(has(app.macsim({"defaults", "read", "autoEjectAllowedVolumeIds"}).out, "disk5s1"));
    std::string page = dump();
    EXPECT_TRUE(has(page, "toggle: Beta = off")) << page;
    EXPECT_FALSE(has(page, "progress:")) << "a toggle reloads the list without the indicator";
    ASSERT_EQ(app.ui({"set", "Remount delay after wake", "7.5"}).exitCode, 0);
    EXPECT_EQ(app.macsim({"defaults", "read", "autoEjectRemountDelaySeconds"}).out, "7.5\n");
    EXPECT_TRUE(has(dump(), "text: 7.5s"));
}

TEST_F(SettingsWindow, BatteryPageIsReadOnlyWithoutABattery) {
    app.ui({"click", "Settings…"});
    app.ui({"select", "Battery"});
    ASSERT_EQ(app.ui({"set", "Deactivate threshold", "37.6"}).exitCode, 0);
    EXPECT_EQ(app.macsim({"defaults", "read", "batteryCap"}).out, "38\n");

    app.macsim({"battery", "none"});
    app.ui({"select", "General"});
    app.ui({"select", "Battery"});
    std::string page = dump();
    EXPECT_TRUE(has(page, "slider: Deactivate threshold = 38 (disabled)")) << page;
    EXPECT_TRUE(has(page, "text: Battery not detected on this Mac; battery rules are disabled."));
    EXPECT_EQ(app.ui({"set", "Deactivate threshold", "50"}).exitCode, 1);
}

} // namespace
} // namespace tallowmere::test
