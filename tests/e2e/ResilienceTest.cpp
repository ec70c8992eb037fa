#include "e2e/RunningApp.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

namespace tallowmere::test {
namespace {

// The real application on a machine where drives are taken offline on the unmount path and come back soon
// after a wake.
class ResilienceEndToEnd : public ::testing::Test {
protected:
    RunningApp app;

    void SetUp() override { app.protectOnTheUnmountPath(); }
    void plug(const std::vector<std::string>& names) {
        for (const std::string& name : names)
            ASSERT_EQ(app.macsim({"volume", "add", name}).exitCode, 0) << name;
    }
    int countInState(const std::string& state) {
        int count = 0;
        for (const std::string& line : lines(app.macsim({"volume", "list"}).out))
            count += line.find("\t" + state + "\t") != std::string::npos;
        return count;
    }
    // Stand-in tool processes still running for this machine.
    int standInRuns() {
        const QByteArray tool = QByteArray::fromStdString(app.sim().machine().binFolder() + "/diskutil");
        int count = 0;
#ifdef __linux__
        for (const QString& pid : QDir("/proc").entryList(QDir::Dirs))
            if (QFile file("/proc/" + pid + "/cmdline"); file.open(QIODevice::ReadOnly))
                count += file.readAll().startsWith(tool);
#else
        QProcess processes;
        processes.start("ps", {"-A", "-o", "command="});
        processes.waitForFinished();
        for (const QByteArray& line : processes.readAllStandardOutput().split('\n'))
            count += line.trimmed().startsWith(tool);
#endif
        return count;
    }
};

// Closing the lid locks the screen and then sleeps: the sleep waits for the eject the lock started. A later sleep
// ejects a newly plugged volume and keeps the records of the earlier ones; the wake brings all of them back, also
// the one named like another disk's identifier.
TEST_F(ResilienceEndToEnd, ASleepDuringTheLockEjectWaitsForItAndEarlierEjectsAreRemountedToo) {
    app.macsim({"defaults", "write", "autoEjectTriggers", "-array", "screenLocked", "systemSleep"});
    plug({"Alpha", "Beta", "Gamma", "disk4s1"}); // Alpha is disk4s1
    ASSERT_TRUE(app.start());

    app.macsim({"lock"});
    const double allowed = app.sleepAllowedAfter();
    EXPECT_TRUE(allowed > 0.3 && allowed < 12.0) << allowed;
    EXPECT_EQ(countInState("unmounted"), 4);

    plug({"Epsilon"});
    EXPECT_GT(app.sleepAllowedAfter(), 0.3);
    EXPECT_EQ(countInState("unmounted"), 5);

    app.macsim({"wake"});
    EXPECT_TRUE(app.waitFor({"volume", "list"}, [&](const std::string&) { return countInState("mounted") == 5; }));
    EXPECT_TRUE(app.waitForListing({"notifications"}, "\tDisks Remounted\t"));
    const std::string notices = app.macsim({"notifications"}).out;
    EXPECT_EQ(notices.find("\tDisks Remounted\t"), notices.rfind("\tDisks Remounted\t")) << notices;
    for (const char* name : {"Alpha", "Beta", "Gamma", "disk4s1", "Epsilon"})
        EXPECT_NE(notices.find(name), std::string::npos) << name;

    // With the lock trigger the unlock brings them back as a wake does.
    app.macsim({"lock"});
    EXPECT_TRUE(app.waitFor({"volume", "list"}, [&](const std::string&) { return countInState("unmounted") == 5; }));
    app.macsim({"unlock"});
    EXPECT_TRUE(app.waitFor({"volume", "list"}, [&](const std::string&) { return countInState("mounted") == 5; }));
}

// One drive stops answering and one is busy: the others are taken offline in time, the hung tool runs are ended at
// their limits, the eject's assertion is gone within the eject's 10 s, and the application answers throughout.
TEST_F(ResilienceEndToEnd, AHungDriveDoesNotHoldUpTheOthersOrTheSleep) {
    plug({"Alpha", "Stuck", "Gamma"});
    app.macsim({"volume", "hang", "Stuck", "on"});
    app.macsim({"volume", "add", "Busy Disk", "--busy"});
    ASSERT_TRUE(app.start());

    QElapsedTimer clock;
    clock.start();
    const double allowed = app.sleepAllowedAfter();
    EXPECT_TRUE(allowed > 0.3 && allowed < 12.0) << allowed;
    EXPECT_EQ(app.volumeState("Alpha"), "unmounted");
    EXPECT_EQ(app.volumeState("Gamma"), "unmounted");
    EXPECT_EQ(app.volumeState("Stuck"), "mounted");
    EXPECT_EQ(app.volumeState("Busy Disk"), "mounted");
    EXPECT_EQ(app.macsim({"app"}).exitCode, 0);
    EXPECT_TRUE(app.waitFor({"assertions"}, [](const std::string& listing) { return listing.empty(); }));
    EXPECT_LT(clock.elapsed(), 10500);
    EXPECT_TRUE(waitUntil([&] { return standInRuns() == 0; }, std::chrono::seconds(10)));

    app.macsim({"wake"});
    EXPECT_TRUE(app.waitForListing({"notifications"}, "\tDisks Remounted\t"));
    const std::string notices = app.macsim({"notifications"}).out;
    for (const char* stayed : {"Stuck", "Busy"})
        EXPECT_EQ(notices.find(stayed), std::string::npos) << notices;
    EXPECT_EQ(app.volumeState("Alpha"), "mounted");
    EXPECT_EQ(app.macsim({"app"}).exitCode, 0);
    app.macsim({"volume", "hang", "Stuck", "off"});
}

// Killed while a sleep takes the volumes offline, the application finds them on its remount list when it starts
// again and brings them back at once.
TEST_F(ResilienceEndToEnd, VolumesTakenOfflineByAKilledApplicationComeBackAfterItsRestart) {
    std::vector<std::string> names;
    for (int i = 1; i <= 8; ++i)
        names.push_back("Drive " + std::to_string(i));
    plug(names);
    ASSERT_TRUE(app.start());

    QProcess sleeper;
    app.sim().start(sleeper, {"sleep"});
    ASSERT_TRUE(waitUntil([&] { return countInState("unmounted") > 0; }));
    app.killNow();
    sleeper.waitForFinished(20000);
    ASSERT_GT(countInState("unmounted"), 0);

    ASSERT_TRUE(app.start());
    EXPECT_TRUE(app.waitFor({"volume", "list"}, [&](const std::string&) { return countInState("mounted") == 8; }));
}

} // namespace
} // namespace tallowmere::test
