#include "e2e/RunningApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace tallowmere::test {
namespace {

const std::string welcome = "Welcome to Tallowmere";

const std::string defaultMenu = R"(Unmount External Disks
Unmount and Sleep
---
Remount Ejected Disks (disabled)
Auto Unmount Volumes
  No external volumes detected (disabled)
  ---
  Force unmount when busy
---
Turn Quenby Guard On
Quenby Guard for Duration
  ✓ Off
  Indefinitely
  5 min
  10 min
  15 min
  30 min
  1 hr
  2 hr
  4 hr
  24 hr
---
Settings…
About Tallowmere…
Check for Updates…
---
Quit Tallowmere
)";

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The size of a `macsim ui screenshot` picture in points: the PNG header's width and height.
std::pair<int, int> pictureSize(const std::string& file) {
    std::ifstream png(file, std::ios::binary);
    unsigned char header[24] = {};
    png.read(reinterpret_cast<char*>(header), sizeof header);
    auto at = [&](int i) { return header[i] << 24 | header[i + 1] << 16 | header[i + 2] << 8 | header[i + 3]; };
    return {at(16), at(20)};
}

// A refused `macsim ui` command: status 1, nothing on standard output, one line on standard error naming `why`.
void expectRefused(const MacsimRun& run, const std::string& why = "") {
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_TRUE(has(run.err, why)) << run.err;
}

// The real application's windows and menu as a user drives them, through `macsim ui`.
class UserInterfaceEndToEnd : public ::testing::Test {
protected:
    RunningApp app;

    // Granted access keeps the launch prompt away, so it does not take the front from the windows under test.
    void SetUp() override { app.macsim({"fda", "granted"}); }
    bool menuShows(const std::string& part) { return app.waitForListing({"ui", "menu"}, part); }
    std::string dump() { return app.ui({"dump", "Settings"}).out; }
    bool settingsShow(const std::string& part) { return app.waitForListing({"ui", "dump", "Settings"}, part); }
};

TEST_F(UserInterfaceEndToEnd, TheWelcomeWindowOpensOnTheFirstLaunchOnlyFitsASmallScreenAndRefusesMissingControls) {
    ASSERT_TRUE(app.start({{"TALLOWMERE_SCREEN_SIZE", "1024x640"}}));
    EXPECT_EQ(app.ui({"windows"}).out, welcome + "\n");
    // As wide as its content needs, within the screen under the 24-point menu bar, its title bar included.
    const std::string picture = app.sim().folder() + "/welcome.png";
    ASSERT_EQ(app.ui({"screenshot", picture, welcome}).exitCode, 0);
    EXPECT_GE(pictureSize(picture).first, 420);
    EXPECT_LE(pictureSize(picture).second, 640 - 24);

    const std::string before = app.ui({"dump", welcome}).out;
    expectRefused(app.ui({"press", "Test Remount", welcome})); // disabled until a test unmount ran
    expectRefused(app.ui({"press", "Test Unmount External Drives", "No Such Window"}));
    expectRefused(app.ui({"press", "Erase Everything", welcome}));
    expectRefused(app.ui({"click", "Remount Ejected Disks"})); // disabled: nothing was ejected
    expectRefused(app.ui({"click", "Quenby Guard for Duration/7 hr"}));
    EXPECT_EQ(app.ui({"dump", welcome}).out, before);
    EXPECT_FALSE(has(app.macsim({"notifications"}).out, "Remounted"));

    // The prompt and the alert from the keyboard: Escape cancels, Return presses the default button.
    app.macsim({"fda", "denied"});
    const std::string prompt = "Full Disk Access Recommended", alert = "Allow Notifications for Tallowmere";
    ASSERT_EQ(app.ui({"click", "Unmount External Disks"}).exitCode, 0);
    ASSERT_TRUE(app.waitForListing({"ui", "windows"}, prompt + "\n"));
    app.ui({"key", "Escape", prompt});
    ASSERT_EQ(app.ui({"click", "Unmount External Disks"}).exitCode, 0);
    ASSERT_TRUE(app.waitForListing({"ui", "windows"}, prompt + "\n"));
    app.ui({"key", "Return", prompt});
    EXPECT_EQ(app.macsim({"urls"}).out, "x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles\n");
    EXPECT_EQ(app.ui({"windows"}).out, welcome + "\n");
    app.macsim({"fda", "granted"});
    app.macsim({"notifications", "auth", "denied"});
    for (const std::string key : {"Escape", "Return"}) {
        ASSERT_EQ(app.ui({"click", "Unmount External Disks"}).exitCode, 0);
        ASSERT_TRUE(app.waitForListing({"ui", "windows"}, alert + "\n"));
        EXPECT_EQ(
            app.ui({"dump", alert}).out,
            "text: " + alert +
                "\ntext: Notifications are currently disabled. Enable them in System Settings to "
                "see eject/remount and onboarding test alerts.\nbutton: Cancel\nbutton: Open Notifications Settings\n");
        expectRefused(app.ui({"press", "Open Settings…", welcome}), "blocked by the alert");
        app.ui({"key", key, alert});
    }
    EXPECT_TRUE(has(app.macsim({"urls"}).out, "\nx-apple.systempreferences:com.apple.preference.notifications\n"));
    EXPECT_EQ(app.ui({"windows"}).out, welcome + "\n");

    EXPECT_EQ(app.ui({"click", "Quit Tallowmere"}).exitCode, 0);
    EXPECT_TRUE(app.waitForExit());
    EXPECT_EQ(app.ui({"windows"}).exitCode, 3);

    ASSERT_TRUE(app.start());
    EXPECT_EQ(app.ui({"windows"}).out, "");
}

// On a Linux desktop without a tray nothing it cannot do is offered, the texts name the computer and the first
// launch says where the commands are.
TEST_F(UserInterfaceEndToEnd, OnALinuxDesktopWithoutATrayNothingItCannotDoIsOffered) {
    app.macsim({"fda", "denied"});
    app.macsim({"volume", "add", "Alpha"});
    ASSERT_TRUE(app.start({{"TALLOWMERE_SIM_DESKTOP", "XFCE"}}, "Tallowmere: started"));
    EXPECT_TRUE(
        app.waitForListing({"notifications"}, "On/Off and Unmount External Disks, or run “tallowmere settings”"));
    EXPECT_FALSE(has(app.ui({"menu"}).out, "Check for Updates…"));
    const std::string greeting = app.ui({"dump", welcome}).out;
    EXPECT_TRUE(has(greeting, "keep your computer awake") && !has(greeting, "Mac") && !has(greeting, "Full Disk"));

    ASSERT_EQ(app.ui({"press", "Open Settings…", welcome}).exitCode, 0);
    EXPECT_TRUE(has(dump(), "when you start your computer.") && !has(dump(), "Notification Settings…")) << dump();
    expectRefused(app.ui({"select", "Updates", "Settings"}));

    // An eject goes ahead at once: there is no access to ask for, nor is it checked.
    ASSERT_EQ(app.ui({"click", "Unmount External Disks"}).exitCode, 0);
    EXPECT_TRUE(app.waitForListing({"notifications"}, "Successfully unmounted: Alpha"));
    EXPECT_EQ(app.ui({"windows"}).out, "Settings\n" + welcome + "\n");
    EXPECT_FALSE(has(app.output(), "Full Disk Access") || has(app.output(), "CoreSpotlight"));
}

TEST_F(UserInterfaceEndToEnd, TheTestRunUnmountsBothVolumesAndRemountsThem) {
    const std::string first = "Quokka Ledger Ω7", second = "Photos 2026";
    app.macsim({"volume", "add", first});
    app.macsim({"volume", "add", second, "--kind", "ssd"});
    // The test run force-unmounts every volume, whatever the allowlist.
    app.macsim({"volume", "busy", first, "on"});
    app.defaults("autoEjectAllowedVolumeIds", "-array", "disk99s1");
    ASSERT_TRUE(app.start());
    // The disk manager reports the volumes in the order their unmounts finished.
    auto namesBoth = [&](const std::string& listing, const std::string& prefix, const std::string& suffix) {
        return has(listing, prefix + first + ", " + second + suffix) ||
               has(listing, prefix + second + ", " + first + suffix);
    };

    // From the keyboard, the first control first and the disabled one passed over.
    EXPECT_EQ(app.ui({"key", "Tab", welcome}).out, "button: Open Settings…\n");
    EXPECT_EQ(app.ui({"key", "Shift+Tab", welcome}).out, "button: Test Unmount External Drives\n");
    ASSERT_EQ(app.ui({"key", "Space", welcome}).exitCode, 0);
    EXPECT_TRUE(app.waitFor({"volume", "list"}, [](const std::string& list) { return !has(list, "\tmounted\t"); }));
    EXPECT_EQ(app.volumeState(first), "unmounted");
    EXPECT_EQ(app.volumeState(second), "unmounted");
    EXPECT_TRUE(app.waitForListing({"ui", "dump", welcome}, "button: Test Remount\n"));
    EXPECT_TRUE(namesBoth(app.ui({"dump", welcome}).out,
                          "text: Successfully unmounted: ", ". You can now test remounting those disks.\n"));
    EXPECT_TRUE(app.waitFor({"notifications"}, [&](const std::string& listing) {
        return namesBoth(listing, "\tTest Disks Unmounted\tSuccessfully unmounted: ", "\n");
    })) << app.macsim({"notifications"}).out;
    EXPECT_TRUE(app.waitFor({"attention"}, [](const std::string& count) { return std::atoi(count.c_str()) >= 1; }));

    ASSERT_EQ(app.ui({"press", "Test Remount", welcome}).exitCode, 0);
    EXPECT_TRUE(app.waitFor({"volume", "list"}, [](const std::string& list) { return !has(list, "unmounted"); }));
    EXPECT_EQ(app.volumeState(first), "mounted");
    EXPECT_EQ(app.volumeState(second), "mounted");
    EXPECT_TRUE(app.waitForListing({"ui", "dump", welcome}, "button: Get Started\n"));
    ASSERT_EQ(app.ui({"press", "Test Unmount External Drives", welcome}).exitCode, 0); // it can start over
    EXPECT_TRUE(app.waitFor({"volume", "list"}, [](const std::string& list) { return !has(list, "\tmounted\t"); }));
    app.ui({"key", "Escape", welcome});
    EXPECT_EQ(app.ui({"windows"}).out, "");
}

TEST_F(UserInterfaceEndToEnd, TheMenuReadsItsDefaultsFollowsTheWordingAndDrivesTheGuard) {
    ASSERT_TRUE(app.start());
    EXPECT_EQ(app.ui({"menu"}).out, defaultMenu);
    app.defaults("unmountInsteadOfEject", "-bool", "false");
    EXPECT_TRUE(menuShows("Eject External Disks\nEject and Sleep\n---\nRemount Ejected Disks (disabled)\n"
                          "Auto Eject Volumes\n"));

    ASSERT_EQ(app.ui({"click", "Turn Quenby Guard On"}).exitCode, 0);
    EXPECT_TRUE(app.waitForListing({"assertions"}, "\tTallowmere Quenby Guard Requested\n"));
    EXPECT_TRUE(menuShows("---\nTurn Quenby Guard Off\nQuenby Guard for Duration\n"));

    ASSERT_EQ(app.ui({"click", "Quenby Guard for Duration/1 hr"}).exitCode, 0);
    EXPECT_TRUE(menuShows("\n  Off\n  Indefinitely\n  5 min\n  10 min\n  15 min\n  30 min\n  ✓ 1 hr\n  2 hr\n"));
}

// `tallowmere COMMAND` reaches the running copy, which answers it; with none running it starts nothing.
TEST_F(UserInterfaceEndToEnd, TheCommandLineControlsTheRunningCopy) {
    auto tallowmere = [&](std::vector<std::string> words) {
        words.insert(words.begin(), {"--platform", "sim"});
        return app.sim().run(words, {}, TALLOWMERE_EXECUTABLE);
    };
    EXPECT_EQ(tallowmere({"status"}).exitCode, 3);
    ASSERT_TRUE(app.start());
    app.protectOnTheUnmountPath();
    app.macsim({"volume", "add", "Backup"});
    MacsimRun status = tallowmere({"status"});
    EXPECT_EQ(status.exitCode, 0);
    EXPECT_TRUE(has(status.out, "Quenby Guard is off.\nProtection across sleep is on.\n")) << status.out;
    EXPECT_TRUE(has(status.out, "take offline: Backup (/Volumes/Backup).\nNo volume is held offline.")) << status.out;

    EXPECT_EQ(tallowmere({"guard", "90m"}).exitCode, 0);
    EXPECT_TRUE(app.waitForListing({"assertions"}, "\tTallowmere Quenby Guard Requested\n"));
    EXPECT_TRUE(has(tallowmere({"status", "--json"}).out, "\"quenbyGuard\": {\n        \"active\": true,"));
    EXPECT_EQ(tallowmere({"eject"}).out, "Successfully unmounted: Backup.\n");
    EXPECT_EQ(app.volumeState("Backup"), "unmounted");
    EXPECT_EQ(tallowmere({"remount"}).out, "Successfully remounted: Backup.\n");
    EXPECT_EQ(app.volumeState("Backup"), "mounted");

    MacsimRun unknown = tallowmere({"settings", "sound"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(has(unknown.err, "unknown section \"sound\"")) << unknown.err;
    EXPECT_EQ(tallowmere({"settings", "About"}).exitCode, 0);
    EXPECT_TRUE(settingsShow("text: Version 1.0.0 (build 1)"));

    EXPECT_EQ(tallowmere({"quit"}).exitCode, 0);
    EXPECT_TRUE(app.waitForExit());
    MacsimRun after = tallowmere({"status"});
    EXPECT_EQ(after.exitCode, 3);
    EXPECT_EQ(after.err, "Tallowmere is not running\n");
#ifdef __linux__
    // An installed copy has no macsim: it starts on the desktop, which here has no system bus to offer.
    MacsimRun installed = app.sim().run({},
                                        {{"TALLOWMERE_MACSIM", app.sim().folder() + "/no-macsim"},
                                         {"DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent"},
                                         {"XDG_RUNTIME_DIR", app.sim().folder()}},
                                        TALLOWMERE_EXECUTABLE);
    EXPECT_EQ(installed.exitCode, 1);
    EXPECT_TRUE(has(installed.out + installed.err, "Linux: not started")) << installed.out << installed.err;
#endif
}

TEST_F(UserInterfaceEndToEnd, UntickingAVolumeStoresAnAllowlistOfTheOthers) {
    const std::string kept = lines(app.macsim({"volume", "add", "Alpha"}).out).at(0);
    app.macsim({"volume", "add", "Beta Ω"});
    ASSERT_TRUE(app.start());
    auto marked = [&](const std::string& alpha, const std::string& beta) {
        return app.waitFor({"ui", "menu"}, [&](const std::string& menu) {
            return has(menu, "\n  " + alpha + "Alpha\n") && has(menu, "\n  " + beta + "Beta Ω\n");
        });
    };
    ASSERT_TRUE(marked("✓ ", "✓ ")) << app.ui({"menu"}).out; // an empty allowlist includes every volume

    ASSERT_EQ(app.ui({"click", "Auto Unmount Volumes/Beta Ω"}).exitCode, 0);
    EXPECT_TRUE(app.waitForListing({"defaults", "read", "autoEjectAllowedVolumeIds"}, "(\n    " + kept + "\n)\n"))
        << app.macsim({"defaults", "read", "autoEjectAllowedVolumeIds"}).out;
    EXPECT_TRUE(marked("✓ ", "")) << app.ui({"menu"}).out;
    ASSERT_EQ(app.ui({"click", "Auto Unmount Volumes/Beta Ω"}).exitCode, 0);
    EXPECT_TRUE(marked("✓ ", "✓ ")) << app.ui({"menu"}).out;

    ASSERT_EQ(app.ui({"click", "Unmount External Disks"}).exitCode, 0);
    EXPECT_TRUE(menuShows("\nRemount Ejected Disks\n")) << app.ui({"menu"}).out;

    // Names as they come: an ampersand, a tab, 240 characters; listed by name, however many there are.
    const std::string longName = "L" + std::string(238, 'o') + "g", cut = "L" + std::string(24, 'o') + "…";
    for (const std::string& name : {std::string("Tom & Jerry"), std::string("tab\there"), longName})
        app.macsim({"volume", "add", name});
    EXPECT_TRUE(menuShows("Auto Unmount Volumes\n  ✓ " + cut + std::string(23, 'o') +
                          "g\n  ✓ tab here\n  ✓ Tom & Jerry\n  ---\n"))
        << app.ui({"menu"}).out;
    app.ui({"click", "Settings…"});
    app.ui({"select", "Auto Eject", "Settings"});
    EXPECT_TRUE(settingsShow("toggle: " + longName + " = on (/Volumes/" + longName + ")\n")) << dump();
    EXPECT_TRUE(has(dump(), "toggle: tab here = on (/Volumes/tab here)\ntoggle: Tom & Jerry = on")) << dump();
    EXPECT_EQ(app.ui({"toggle", "Tom & Jerry", "off", "Settings"}).exitCode, 0);
    EXPECT_TRUE(menuShows("  ✓ tab here\n  Tom & Jerry\n")) << app.ui({"menu"}).out;

    app.macsim({"volume", "remove", longName});
    const std::string few = app.sim().folder() + "/few.png", many = app.sim().folder() + "/many.png";
    EXPECT_TRUE(menuShows("Auto Unmount Volumes\n  ✓ tab here\n"));
    app.ui({"screenshot", few, "--menu", "Auto Unmount Volumes"});
    for (int i = 1; i <= 38; ++i)
        app.macsim({"volume", "add", (i < 10 ? "Disk 0" : "Disk ") + std::to_string(i)});
    EXPECT_TRUE(menuShows("Auto Unmount Volumes\n  ✓ Disk 01\n  ✓ Disk 02\n")) << app.ui({"menu"}).out;
    EXPECT_TRUE(menuShows("  ✓ Disk 38\n  ✓ tab here\n")) << app.ui({"menu"}).out;
    app.ui({"screenshot", many, "--menu", "Auto Unmount Volumes"});
    EXPECT_EQ(pictureSize(many).first, pictureSize(few).first) << "forty volumes scroll in one column";
}

// The settings window remembers its section, its controls write their keys and follow writes from outside, and the
// battery page is read-only without a battery.
TEST_F(UserInterfaceEndToEnd, SettingsKeepItsSectionWriteTheirKeysAndFollowWritesFromOutside) {
    app.macsim({"volume", "add", "Alpha"});
    app.macsim({"volume", "add", "Beta"});
    app.defaults("settingsTabIndex", "-int", "6");
    ASSERT_TRUE(app.start());
    ASSERT_EQ(app.ui({"press", "Open Settings…", welcome}).exitCode, 0);
    EXPECT_TRUE(has(dump(), "row: ✓ General"));
    ASSERT_EQ(app.ui({"select", "Battery", "Settings"}).exitCode, 0);
    ASSERT_EQ(app.ui({"close", "Settings"}).exitCode, 0);
    EXPECT_FALSE(has(app.ui({"windows"}).out, "Settings"));
    app.ui({"press", "Open Settings…", welcome});
    EXPECT_TRUE(has(dump(), "row: ✓ Battery"));

    app.ui({"press", "Done", "Settings"});
    ASSERT_EQ(app.ui({"click", "About Tallowmere…"}).exitCode, 0);
    EXPECT_TRUE(has(dump(), "row: ✓ About") && has(dump(), "text: Version 1.0.0 (build 1)")) << dump();
    ASSERT_EQ(app.ui({"click", "Settings…"}).exitCode, 0);
    EXPECT_TRUE(has(dump(), "row: ✓ About")) << "a window on screen keeps its section";
    app.ui({"select", "Updates"});
    EXPECT_TRUE(has(dump(), "text: 1.0.0 (build 1)")) << dump();
    app.ui({"select", "General"});

    ASSERT_EQ(app.ui({"toggle", "Start at Login", "off"}).exitCode, 0);
    EXPECT_EQ(app.macsim({"login-item"}).out, "unregistered\n");
    app.ui({"toggle", "Start at Login", "on"});
    EXPECT_EQ(app.macsim({"login-item"}).out, "registered\n");
    app.defaults("startAtLogin", "-bool", "false");
    EXPECT_TRUE(app.waitForListing({"login-item"}, "unregistered\n"));
    EXPECT_TRUE(settingsShow("toggle: Start at Login = off"));

    // The keyboard starts on the sidebar, a list; Tab goes on to the page, Space flips the switch in focus.
    app.ui({"select", "Quenby Guard"});
    EXPECT_EQ(app.ui({"key", "Tab", "Settings"}).out, "toggle: Quenby Guard Active = off\n");
    EXPECT_EQ(app.ui({"key", "Space", "Settings"}).out, "toggle: Quenby Guard Active = on\n");
    const std::string sidebar = app.ui({"key", "Shift+Tab", "Settings"}).out;
    EXPECT_TRUE(has(sidebar, "list: Preferences\n") && has(sidebar, "\n  row: ✓ Quenby Guard\n")) << sidebar;
    EXPECT_TRUE(has(app.ui({"key", "Down", "Settings"}).out, "\n  row: ✓ Auto Eject\n"));
    EXPECT_TRUE(has(app.ui({"key", "Up", "Settings"}).out, "\n  row: ✓ Quenby Guard\n"));
    EXPECT_TRUE(app.waitForListing({"assertions"}, "Tallowmere Quenby Guard Requested"));
    // The switch follows the guard whatever stops it.
    app.defaults("deactivateOnUserSwitch", "-bool", "true");
    app.macsim({"switch-user"});
    EXPECT_TRUE(settingsShow("toggle: Quenby Guard Active = off"));
    app.defaults("allowDisplaySleep", "-bool", "true");
    EXPECT_TRUE(settingsShow("toggle: Allow display to sleep = on"));

    // The custom-duration sheet holds its window: nothing under it takes input, the menu brings the window
    // forward with the sheet still on it, Tab goes through the sheet, Return adds and closing the window cancels.
    const std::string sheet = "Custom Quenby Guard Duration";
    for (const std::string menuItem : {"About Tallowmere…", "Settings…"}) {
        ASSERT_EQ(app.ui({"press", "Add", "Settings"}).exitCode, 0);
        for (std::vector<std::string> command : {std::vector<std::string>{"select", "General", "Settings"},
                                                 {"press", "Done", "Settings"},
                                                 {"toggle", "Allow display to sleep", "off", "Settings"}})
            expectRefused(app.ui(command), "blocked by the sheet \"" + sheet + "\"");
        ASSERT_EQ(app.ui({"click", menuItem}).exitCode, 0);
        EXPECT_EQ(app.ui({"windows"}).out.rfind(sheet + "\nSettings\n", 0), 0u) << app.ui({"windows"}).out;
        EXPECT_TRUE(has(dump(), "row: ✓ Quenby Guard"));
        EXPECT_EQ(app.ui({"key", "Tab"}).out, "field: Minutes = 0\n");
        ASSERT_EQ(app.ui({"set", "Minutes", "45", sheet}).exitCode, 0);
        if (menuItem == "Settings…")
            ASSERT_EQ(app.ui({"close", "Settings"}).exitCode, 0);
        else
            app.ui({"key", "Escape", sheet});
        EXPECT_EQ(app.ui({"windows"}).out, menuItem == "Settings…" ? welcome + "\n" : "Settings\n" + welcome + "\n");
    }
    EXPECT_EQ(app.macsim({"defaults", "read", "customStayAwakeSeconds"}).exitCode, 1);
    ASSERT_EQ(app.ui({"click", "Settings…"}).exitCode, 0);
    EXPECT_EQ(app.ui({"windows"}).out, "Settings\n" + welcome + "\n");
    app.ui({"select", "Quenby Guard"});
    app.ui({"press", "Add", "Settings"});
    EXPECT_EQ(app.ui({"key", "Shift+Tab"}).out, "button: Add Duration\n");
    app.ui({"key", "Tab"});
    EXPECT_EQ(app.ui({"key", "Tab"}).out, "field: Minutes = 0\n");
    app.ui({"key", "Return"});
    EXPECT_EQ(app.macsim({"defaults", "read", "customStayAwakeSeconds"}).out, "3600\n");
    EXPECT_TRUE(has(dump(), "\n  row: Custom – 1 hour [Default]\n"));

    app.ui({"select", "Auto Eject"});
    EXPECT_TRUE(settingsShow("toggle: Beta = on (/Volumes/Beta)"));
    ASSERT_EQ(app.ui({"toggle", "Beta", "off"}).exitCode, 0);
    EXPECT_TRUE(has(app.macsim({"defaults", "read", "autoEjectAllowedVolumeIds"}).out, "disk4s1"));
    EXPECT_FALSE(has(app.macsim({"defaults", "read", "autoEjectAllowedVolumeIds"}).out, "disk5s1"));
    std::string page = dump();
    EXPECT_TRUE(has(page, "toggle: Beta = off")) << page;
    EXPECT_FALSE(has(page, "progress:")) << "a toggle reloads the list without the indicator";
    ASSERT_EQ(app.ui({"set", "Remount delay after wake", "7.5"}).exitCode, 0);
    EXPECT_EQ(app.macsim({"defaults", "read", "autoEjectRemountDelaySeconds"}).out, "7.5\n");
    EXPECT_TRUE(has(dump(), "text: 7.5s"));

    app.ui({"select", "Battery"});
    ASSERT_EQ(app.ui({"set", "Deactivate threshold", "37.6"}).exitCode, 0);
    EXPECT_EQ(app.macsim({"defaults", "read", "batteryCap"}).out, "38\n");

    app.macsim({"battery", "none"});
    app.ui({"select", "General"});
    app.ui({"select", "Battery"});
    page = dump();
    EXPECT_TRUE(has(page, "slider: Deactivate threshold = 38 (disabled)")) << page;
    EXPECT_TRUE(has(page, "text: Battery not detected on this Mac; battery rules are disabled."));
    EXPECT_EQ(app.ui({"set", "Deactivate threshold", "50"}).exitCode, 1);
}

// A German desktop (LANG only, as most set it) gets the whole interface in German, plural forms included; the log
// stays English.
TEST_F(UserInterfaceEndToEnd, InGermanTheMenuTheSettingsAndTheNoticesReadGerman) {
    ASSERT_TRUE(app.start({{"LC_ALL", ""}, {"LANG", "de_DE.UTF-8"}}));
    EXPECT_EQ(app.ui({"menu"}).out, R"(Externe Laufwerke deaktivieren
Deaktivieren und Ruhezustand
---
Ausgeworfene Laufwerke wieder aktivieren (disabled)
Volumes automatisch deaktivieren
  Keine externen Volumes erkannt (disabled)
  ---
  Deaktivieren erzwingen, wenn belegt
---
Quenby Guard einschalten
Quenby Guard zeitlich begrenzt
  ✓ Aus
  Unbegrenzt
  5 Min.
  10 Min.
  15 Min.
  30 Min.
  1 Std.
  2 Std.
  4 Std.
  24 Std.
---
Einstellungen…
Über Tallowmere…
Nach Updates suchen…
---
Tallowmere beenden
)");
    ASSERT_EQ(app.ui({"click", "Quenby Guard zeitlich begrenzt/1 Std."}).exitCode, 0);
    EXPECT_TRUE(app.waitForListing({"notifications"}, "\tQuenby Guard eingeschaltet\tTallowmere hält deinen Mac 1 "
                                                      "Stunde lang mit Quenby Guard wach.\n"))
        << app.macsim({"notifications"}).out;

    ASSERT_EQ(app.ui({"click", "Einstellungen…"}).exitCode, 0);
    ASSERT_EQ(app.ui({"select", "Auto-Auswerfen", "Einstellungen"}).exitCode, 0);
    const std::string page = app.ui({"dump", "Einstellungen"}).out;
    for (const char* line : {"list: Einstellungen\n", "toggle: Vor dem Ruhezustand automatisch auswerfen = off\n",
                             "toggle: Bildschirm wird gesperrt = off\n", "toggle: Netzlaufwerke = on\n",
                             "slider: Verzögerung nach dem Aufwachen = 3\n", "button: Volumes aktualisieren\n"})
        EXPECT_TRUE(has(page, line)) << line << page;
    EXPECT_TRUE(has(app.ui({"windows"}).out, "Willkommen bei Tallowmere\n"));
    EXPECT_TRUE(app.waitForOutput("Tallowmere: Full Disk Access is granted, no prompt needed"));
}

} // namespace
} // namespace tallowmere::test
