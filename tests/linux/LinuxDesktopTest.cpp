#include "linux/LinuxSystem.h"

#include "platform/PlistPreferenceStore.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <iostream>

namespace tallowmere::test {
namespace {

// Blanks and Unicode in one name; in the other, what a notification server that reads markup would swallow, and
// that name as the application has to send it to one.
const std::string spacedName = "Été 2026 Ω", plainName = "Ledger & <Co>", plainShown = "Ledger &amp; &lt;Co&gt;";

// The real `tallowmere --platform linux` on a private Linux machine (LinuxSystem) with two volumes.
class LinuxDesktopEndToEnd : public ::testing::Test {
protected:
    LinuxSystem machine;
    QProcess app; // ends (killed) before the machine does

    void SetUp() override {
        if (auto reason = LinuxSystem::unavailable())
            GTEST_SKIP() << *reason;
    }
    void TearDown() override {
        if (QFile log(QString::fromStdString(machine.configFolder() + "/../app.log"));
            HasFailure() && log.open(QIODevice::ReadOnly))
            std::cerr << "The application's output:\n" << log.readAll().toStdString();
    }

    void defaults(const PropertyDictionary& values) {
        PlistPreferenceStore store(machine.configFolder() + "/tallowmere/com.tallowmere.app.plist");
        for (const auto& [key, value] : values)
            store.setObject(key, value);
    }
    bool launch() {
        app.setProcessEnvironment(machine.environment());
        app.setProcessChannelMode(QProcess::MergedChannels);
        app.setStandardOutputFile(QString::fromStdString(machine.configFolder() + "/../app.log"));
        app.start(TALLOWMERE_EXECUTABLE, {"--platform", "linux"});
        return app.waitForStarted();
    }

    bool mounted(const std::string& name) {
        return !LinuxSystem::mountPointOf(machine.volumes()[name == spacedName ? 0 : 1]).empty();
    }
    // Whether the notification daemon was asked to show this title and body.
    bool notified(const std::string& title, const std::string& body) {
        const std::string call = '"' + title + "\" \"" + body + '"';
        return machine.callLog("org.freedesktop.Notifications").find(call) != std::string::npos;
    }
};

// One run through the desktop: the guard on from launch until the battery falls under its threshold (the first
// battery check comes a minute after it started), sleep and the screen lock on the unmount path, then an eject.
TEST_F(LinuxDesktopEndToEnd, SleepLockAndEjectTakeTheVolumesOfflineAndTheGuardHoldsItsInhibitorsUntilTheThreshold) {
    std::string error;
    ASSERT_TRUE(machine.start({spacedName, plainName}, 15, &error)) << error;
    // An earlier version's remount list, in a Mac's support folder: taken over into the XDG state folder.
    const QString home = QString::fromStdString(machine.configFolder() + "/.."),
                  earlier = "/Library/Application Support";
    ASSERT_TRUE(QDir().mkpath(home + earlier + "/Tallowmere"));
    QFile list(home + earlier + "/Tallowmere/EjectedDisks.json");
    ASSERT_TRUE(list.open(QIODevice::WriteOnly) && list.write("[]") == 2);
    list.close();
    defaults({{"autoEjectBeforeSleep", true},
              {"unmountInsteadOfEject", true},
              {"autoEjectRemountDelaySeconds", 0.2},
              {"AnalyticsEnabled", false},
              {"autoEjectTriggers", PropertyArray{"systemSleep", "screenLocked"}},
              {"activateStayAwakeOnLaunch", true},
              {"activationDurationIndex", 6}, // one hour
              {"batteryCap", 20.0}});
    ASSERT_TRUE(launch());
    EXPECT_TRUE(pollUntil([&] { return machine.holds("idle:sleep", "block"); }));
    EXPECT_TRUE(QFile::exists(home + "/.local/state/tallowmere/EjectedDisks.json"));
    EXPECT_FALSE(QFile::exists(home + "/Library"));
    auto blockInhibitors = [&] {
        return QString::fromStdString(machine.callLog("org.freedesktop.login1"))
            .count(QRegularExpression("Inhibit \"[^\"]*\" \"Tallowmere\" .*\"block\""));
    };
    auto calls = [&](const QString& method) {
        return QString::fromStdString(machine.callLog("org.freedesktop.ScreenSaver")).count(" " + method + " ");
    };
    EXPECT_TRUE(pollUntil([&] { return calls("Inhibit") == 1; }));
    ASSERT_TRUE(pollUntil([&] { return machine.holds("sleep", "delay"); }));
    // A file open on one volume keeps it mounted and unreported; the sleep is still released.
    QFile busy(QString::fromStdString(LinuxSystem::mountPointOf(machine.volumes()[0]) + "/held.txt"));
    ASSERT_TRUE(busy.open(QIODevice::WriteOnly));
    const qsizetype blocksBeforeSleep = blockInhibitors();
    ASSERT_TRUE(machine.prepareForSleep(true));
    ASSERT_TRUE(pollUntil([&] { return !machine.holds("sleep", "delay"); }, 12000));
    EXPECT_FALSE(mounted(plainName));
    EXPECT_TRUE(mounted(spacedName));
    EXPECT_EQ(blockInhibitors(), blocksBeforeSleep) << "no block inhibitor once the suspend is announced";
    busy.close();
    ASSERT_TRUE(machine.prepareForSleep(false));
    EXPECT_TRUE(pollUntil([&] { return machine.holds("sleep", "delay"); })); // held again for the next sleep
    const std::string remounted = "Successfully remounted after wake: ";
    EXPECT_TRUE(pollUntil([&] { return notified("Disks Remounted", remounted + plainShown); }));

    // The first launch registered the login item as an XDG autostart entry.
    QFile entry(QString::fromStdString(machine.configFolder() + "/autostart/tallowmere.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("\" --platform linux\n"));

    // A lock with the other volume busy: the unlock reports only what went offline and came back.
    QFile held(QString::fromStdString(LinuxSystem::mountPointOf(machine.volumes()[1]) + "/held.txt"));
    ASSERT_TRUE(held.open(QIODevice::WriteOnly));
    ASSERT_TRUE(machine.session("SetLockedHint", {true}));
    EXPECT_TRUE(pollUntil([&] { return !mounted(spacedName); }));
    auto run = [&](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(machine.environment());
        process.start(program, arguments);
        process.waitForFinished(30000);
        return std::pair(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                         process.readAllStandardOutput().toStdString());
    };
    auto companion = [&](const QStringList& arguments) { return run(TALLOWMERE_COMPANION, arguments); };
    auto info = companion({"info", "-plist", QString::fromStdString(spacedName)});
    auto facts = PropertyList::parseDictionary(info.second);
    ASSERT_TRUE(facts);
    EXPECT_EQ(*findAs<std::string>(*facts, "DeviceIdentifier"), machine.volumes()[0].substr(5));
    EXPECT_EQ(*findAs<std::string>(*facts, "VolumeName"), spacedName);
    EXPECT_EQ(*findAs<std::string>(*facts, "MountPoint"), "");
    EXPECT_NE(companion({"list", "-plist"}).second.find("<string>" + spacedName + "</string>"), std::string::npos);
    EXPECT_EQ(companion({"info", "-plist", "/Volumes/Nothing Here"}).first, 1);
    EXPECT_EQ(companion({"unmount", "/Volumes/Nothing Here"}).first, 1);
    EXPECT_EQ(companion({"unmount", QString::fromStdString(spacedName)}).first, 1) << "already offline";

    EXPECT_TRUE(mounted(plainName));
    held.close();
    ASSERT_TRUE(machine.session("Unlock"));
    EXPECT_TRUE(pollUntil([&] { return mounted(spacedName) && mounted(plainName); }));
    EXPECT_TRUE(pollUntil([&] { return notified("Disks Remounted", remounted + spacedName); }));

    // The command line reaches the running copy.
    auto tallowmere = [&](const QStringList& words) {
        return run(TALLOWMERE_EXECUTABLE, QStringList{"--platform", "linux"} + words);
    };
    // Without --platform, a command finds the copy that runs.
    auto status = run(TALLOWMERE_EXECUTABLE, {"status"});
    EXPECT_EQ(status.first, 0);
    EXPECT_NE(status.second.find("Triggers: System starts sleeping, Screen is locked.\n"), std::string::npos)
        << status.second;
    EXPECT_EQ(tallowmere({"eject"}).first, 0);
    EXPECT_FALSE(mounted(spacedName) || mounted(plainName));
    EXPECT_EQ(tallowmere({"remount"}).first, 0);
    EXPECT_TRUE(mounted(spacedName) && mounted(plainName));

    // Ejecting a disk image detaches its loop device, as a Mac detaches an ejected image.
    defaults({{"unmountInsteadOfEject", false}});
    ASSERT_TRUE(pollUntil([&] { return machine.holds("sleep", "delay"); }));
    ASSERT_TRUE(machine.prepareForSleep(true));
    EXPECT_TRUE(pollUntil([&] { return !machine.holds("sleep", "delay"); }, 12000));
    for (const std::string& device : machine.volumes())
        EXPECT_FALSE(QFile::exists(QString::fromStdString("/sys/block/" + device.substr(5) + "/loop/backing_file")))
            << device;

    EXPECT_TRUE(pollUntil(
        [&] { return notified("Quenby Guard Stopped", "Tallowmere stopped Quenby Guard based on your settings."); },
        75000));
    EXPECT_FALSE(machine.holds("idle:sleep", "block"));
    EXPECT_TRUE(pollUntil([&] { return calls("UnInhibit") == 1; }));
    // The companion's own chatter ("Volume X on loop3 mounted") stays out of the application's output.
    QFile log(home + "/app.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_FALSE(
        QString::fromUtf8(log.readAll()).contains(QRegularExpression("^Volume ", QRegularExpression::MultilineOption)));
}

} // namespace
} // namespace tallowmere::test
