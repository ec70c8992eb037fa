#include "e2e/RunningApp.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <random>
#include <thread>

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
    // A second copy leaves the first in charge.
    QProcess second;
    app.sim().start(second, {}, {}, TALLOWMERE_EXECUTABLE);
    ASSERT_TRUE(second.waitForFinished(10000));
    const std::string running = "running " + std::to_string(app.pid()) + "\n";
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_NE(second.readAllStandardError().toStdString().find("Tallowmere is already running (pid " +
                                                               std::to_string(app.pid()) + ")\n"),
              std::string::npos);
    EXPECT_EQ(app.macsim({"app"}).out, running);

    QProcess sleeper;
    app.sim().start(sleeper, {"sleep"});
    ASSERT_TRUE(waitUntil([&] { return countInState("unmounted") > 0; }));
    app.killNow();
    sleeper.waitForFinished(20000);
    ASSERT_GT(countInState("unmounted"), 0);

    ASSERT_TRUE(app.start()); // the kernel released the lock of the killed copy
    EXPECT_TRUE(app.waitFor({"volume", "list"}, [&](const std::string&) { return countInState("mounted") == 8; }));
    EXPECT_TRUE(app.waitForListing({"notifications"}, "\tDisks Remounted\tSuccessfully remounted after restart: "));
}

// A drive slow to flush holds the sleep up to the eject's limit; it goes offline during the sleep, and the wake
// brings it back.
TEST_F(ResilienceEndToEnd, ADriveSlowToFlushHoldsTheSleepAndTheWakeBringsItBack) {
    plug({"Slow Drive"});
    app.macsim({"volume", "slow", "Slow Drive", "10"});
    ASSERT_TRUE(app.start());
    const double allowed = app.sleepAllowedAfter();
    EXPECT_TRUE(allowed > 9.5 && allowed < 11.0) << allowed;
    EXPECT_TRUE(waitUntil([&] { return app.volumeState("Slow Drive") == "unmounted"; }));
    app.macsim({"wake"});
    EXPECT_TRUE(app.waitForListing({"notifications"}, "\tSuccessfully remounted after wake: Slow Drive\n"));
}

// A seeded storm of overlapping events, as a restless user on a busy Mac makes them, with every trigger on. The
// application lives through it, and once the Mac is awake and unlocked again every volume is back, nothing is left
// to remount and no assertion is held.
class EventStorm : public ResilienceEndToEnd, public ::testing::WithParamInterface<unsigned> {};

TEST_P(EventStorm, LeavesEveryVolumeMountedAndNothingToRemount) {
    const unsigned seed = GetParam();
    app.macsim({"defaults", "write", "autoEjectTriggers", "-array", "systemSleep", "displaySleep", "screenLocked",
                "screensaver"});
    plug({"Alpha", "Beta", "Gamma"});
    ASSERT_TRUE(app.start());
    // clang-format off
    const std::vector<std::vector<std::string>> events{
        {"ui", "click", "Remount Ejected Disks"}, {"sleep"}, {"display", "sleep"}, {"lock"}, {"screensaver", "start"},
        {"volume", "busy", "Beta", "on"}, {"ui", "menu"}, {"defaults", "write", "stayAwakeEnabled", "-bool", "true"},
        // The last six also close the storm: Beta free, the guard off, and the four wake events.
        {"volume", "busy", "Beta", "off"}, {"defaults", "write", "stayAwakeEnabled", "-bool", "false"}, {"wake"},
        {"unlock"}, {"display", "wake"}, {"screensaver", "stop"}};
    // clang-format on
    std::mt19937 random(seed);
    std::vector<std::unique_ptr<QProcess>> running;
    for (unsigned i = 0, count = 120 + random() % 81; i < count; ++i) {
        app.sim().start(*running.emplace_back(std::make_unique<QProcess>()), events[random() % events.size()]);
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 151));
    }
    for (size_t closing = events.size() - 6; closing < events.size(); ++closing)
        app.macsim(events[closing]);
    auto settled = [&] {
        QFile list(QString::fromStdString(app.sim().machine().homeFolder() +
                                          "/Library/Application Support/Tallowmere/EjectedDisks.json"));
        return countInState("mounted") == 3 && app.macsim({"assertions"}).out.empty() &&
               (!list.open(QIODevice::ReadOnly) || list.readAll() == "[]");
    };
    EXPECT_TRUE(waitUntil(settled, std::chrono::seconds(60))) << "seed " << seed << "\n"
                                                              << app.macsim({"volume", "list"}).out;
    EXPECT_EQ(app.macsim({"app"}).exitCode, 0) << "seed " << seed;
    for (const auto& process : running)
        process->kill();
}

INSTANTIATE_TEST_SUITE_P(Seeds, EventStorm, ::testing::Values(7u, 20u, 2026u), ::testing::PrintToStringParamName());

} // namespace
} // namespace tallowmere::test
