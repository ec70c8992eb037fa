#include "SimTestSupport.h"

#include "platform/PropertyList.h"
#include "platform/sim/SimPlatform.h"
#include "support/VirtualRuntime.h"

#include <QLocalSocket>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <unistd.h>

using namespace tallowmere;
using test::MacsimRun;
using test::TemporaryMachine;

namespace {

class SimPlatformTest : public ::testing::Test {
protected:
    TemporaryMachine sim;
    test::VirtualRuntime runtime;
    SimPlatform simulated{runtime, sim.folder(), MACSIM_EXECUTABLE};
    Platform platform = simulated.platform();

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(simulated.start(&error)) << error;
    }
    // Pumps the main queue until `done` holds.
    bool pumpUntil(const std::function<bool()>& done) {
        return test::waitUntil([&] {
            runtime.runUntilIdle();
            return done();
        });
    }
    // Runs macsim while the main queue keeps running, as the application's event loop would.
    MacsimRun runPumping(const std::vector<std::string>& arguments) {
        QProcess process;
        sim.start(process, arguments);
        pumpUntil([&] { return process.waitForFinished(1); });
        return TemporaryMachine::finish(process);
    }
};

TEST_F(SimPlatformTest, MacsimEventsReachObserversOnTheMainThread) {
    std::vector<std::string> seen;
    bool allOnMain = true;
    auto observe = [&](NotificationCenter& center, const char* name) {
        center.addObserver(name, [&, name] {
            allOnMain = allOnMain && runtime.isMainThread();
            seen.push_back(name);
        });
    };
    observe(platform.workspace.notificationCenter(), NotificationName::screensDidSleep);
    observe(platform.workspace.notificationCenter(), NotificationName::didMount);
    observe(platform.application.distributedCenter(), NotificationName::screenIsLocked);
    observe(platform.application.defaultCenter(), NotificationName::screenParametersChanged);

    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"display", "sleep"}, {"lock"}, {"screens", "3"}, {"volume", "add", "Photos"}}) {
        size_t before = seen.size();
        EXPECT_EQ(sim.run(command).exitCode, 0);
        EXPECT_TRUE(pumpUntil([&] { return seen.size() > before; })) << command[0];
    }
    EXPECT_EQ(seen, (std::vector<std::string>{NotificationName::screensDidSleep, NotificationName::screenIsLocked,
                                              NotificationName::screenParametersChanged, NotificationName::didMount}));
    EXPECT_TRUE(allOnMain);
    EXPECT_EQ(platform.application.screenCount(), 3);
    EXPECT_EQ(platform.fileSystem.mountedVolumePaths()->back(), "/Volumes/Photos");
}

TEST_F(SimPlatformTest, SleepWaitsForTheApplicationToAllowThePowerChange) {
    std::vector<std::uint32_t> messages;
    PowerRegistration registration{};
    std::optional<std::intptr_t> held;
    registration = platform.systemPower.registerForSystemPower([&](std::uint32_t message, std::intptr_t argument) {
        messages.push_back(message);
        if (message == PowerMessage::systemWillSleep)
            held = argument; // answered later, once the "eject" is done
    });
    bool willSleepSeen = false;
    platform.workspace.notificationCenter().addObserver(NotificationName::willSleep, [&] {
        willSleepSeen = true;
        ASSERT_TRUE(held);
        platform.systemPower.allowPowerChange(registration.rootPowerPort, *held);
    });
    MacsimRun slept = runPumping({"sleep"});
    EXPECT_EQ(slept.exitCode, 0);
    EXPECT_EQ(slept.out.rfind("sleep allowed after ", 0), 0u) << slept.out;
    EXPECT_NE(slept.out, "sleep allowed after 0.000 s\n");
    EXPECT_TRUE(willSleepSeen);

    runPumping({"wake"});
    EXPECT_TRUE(pumpUntil([&] { return messages.size() == 2; }));
    EXPECT_EQ(messages, (std::vector<std::uint32_t>{PowerMessage::systemWillSleep, PowerMessage::systemHasPoweredOn}));

    // Deregistered: the machine no longer waits for this application.
    platform.systemPower.destroyNotificationPort(registration.notificationPort);
    platform.systemPower.deregisterForSystemPower(registration.notifierObject);
    EXPECT_EQ(runPumping({"sleep"}).out, "sleep allowed after 0.000 s\n");
}

TEST_F(SimPlatformTest, DefaultsWrittenByMacsimReachTheRunningApplication) {
    std::atomic<int> changes{0};
    platform.preferences.addObserver([&] { ++changes; });
    EXPECT_EQ(sim.run({"defaults", "write", "autoEjectBeforeSleep", "-bool", "true"}).exitCode, 0);
    EXPECT_TRUE(test::waitUntil([&] { return changes.load() > 0; }));
    EXPECT_TRUE(platform.preferences.boolValue("autoEjectBeforeSleep"));

    platform.preferences.setInteger("activationDurationIndex", 6);
    EXPECT_EQ(sim.run({"defaults", "read", "activationDurationIndex"}).out, "6\n");
}

TEST_F(SimPlatformTest, MacsimSeesWhatTheApplicationDid) {
    EXPECT_EQ(sim.run({"app"}).out, "running " + std::to_string(::getpid()) + "\n");

    ASSERT_EQ(sim.run({"volume", "add", "Stick"}).exitCode, 0);
    EXPECT_FALSE(platform.workspace.unmountAndEjectDevice("/Volumes/Stick"));
    EXPECT_EQ(sim.run({"volume", "list"}).out, "disk4s1\tStick\tejected\tusb\n");
    AssertionResult held = platform.assertions.create(AssertionType::preventUserIdleDisplaySleep, assertionLevelOn,
                                                      "Tallowmere Quenby Guard Requested");
    EXPECT_EQ(sim.run({"assertions"}).out,
              std::to_string(held.assertionID) + "\tPreventUserIdleDisplaySleep\tTallowmere Quenby Guard Requested\n");
    platform.assertions.release(held.assertionID);
    EXPECT_EQ(sim.run({"assertions"}).out, "");
    std::atomic<bool> added{false};
    platform.notifications.add({"tallowmere-first-launch", "Tallowmere is ready", "Ready.", true},
                               [&](auto) { added = true; });
    EXPECT_TRUE(pumpUntil([&] { return added.load(); }));
    EXPECT_EQ(sim.run({"notifications"}).out, "tallowmere-first-launch\tTallowmere is ready\tReady.\n");
    platform.workspace.openURL("x-apple.systempreferences:com.apple.preference.notifications");
    EXPECT_EQ(sim.run({"urls"}).out, "x-apple.systempreferences:com.apple.preference.notifications\n");
    platform.loginItem.registerApp();
    EXPECT_EQ(sim.run({"login-item"}).out, "registered\n");

    simulated.stop();
    EXPECT_EQ(sim.run({"app"}).exitCode, 3);
}

TEST_F(SimPlatformTest, TheApplicationsProcessRunnerRunsTheStandInTools) {
    ASSERT_EQ(sim.run({"volume", "add", "it's \"odd\" -name", "--kind", "dmg"}).exitCode, 0);
    EXPECT_TRUE(platform.fileSystem.isExecutableFile(platform.tools.diskutil()));
    EXPECT_TRUE(platform.fileSystem.isExecutableFile(platform.tools.tmutil()));
    ProcessResult info =
        platform.processes.run({platform.tools.diskutil(), {"info", "-plist", "/Volumes/it's \"odd\" -name"}});
    ASSERT_TRUE(info.succeeded()) << info.errorDescription;
    auto parsed = PropertyList::parseDictionary(info.standardOutput);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*findAs<std::string>(*parsed, "VolumeName"), "it's \"odd\" -name");

    std::atomic<int> unmounts{0};
    platform.workspace.notificationCenter().addObserver(NotificationName::didUnmount, [&] { ++unmounts; });
    ProcessRequest unmount{platform.tools.diskutil(), {"unmount", "force", "/Volumes/it's \"odd\" -name"}};
    unmount.captureStandardError = true;
    EXPECT_TRUE(platform.processes.run(unmount).succeeded());
    EXPECT_TRUE(pumpUntil([&] { return unmounts.load() == 1; }));
    EXPECT_FALSE(platform.fileSystem.exists("/Volumes/it's \"odd\" -name"));
    EXPECT_EQ(platform.processes.run({platform.tools.tmutil(), {"status"}}).exitStatus, 0);
}

TEST_F(SimPlatformTest, MalformedMessagesOnTheSocketAreIgnored) {
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(sim.machine().socketPath()));
    ASSERT_TRUE(socket.waitForConnected(5000));
    socket.write("garbage\n[1,2]\n{\"event\":\"nonsense\"}\n{\"event\":\"notification\",\"center\":\"nowhere\"}\n"
                 "{\"event\":\"ping\"}\n");
    ASSERT_TRUE(socket.waitForBytesWritten(5000));
    QByteArray reply;
    EXPECT_TRUE(test::waitUntil([&] {
        socket.waitForReadyRead(5);
        reply += socket.readAll();
        return reply.contains('\n');
    }));
    EXPECT_EQ(reply, QByteArray("{\"event\":\"pong\",\"pid\":") + QByteArray::number(::getpid()) + "}\n");
    runtime.runUntilIdle();
}

TEST(SimulatedApplication, TheApplicationAttachesToTheMachineAndLeavesOnTermination) {
    TemporaryMachine sim;
    QProcess app;
    sim.start(app, {}, {}, TALLOWMERE_EXECUTABLE);
    ASSERT_TRUE(app.waitForStarted());
    std::string answer;
    EXPECT_TRUE(test::waitUntil([&] {
        MacsimRun run = sim.run({"app"});
        answer = run.out;
        return run.exitCode == 0;
    }));
    EXPECT_EQ(answer, "running " + std::to_string(app.processId()) + "\n");
    // With automatic eject off the application allows the sleep at once.
    std::string slept = sim.run({"sleep"}).out;
    EXPECT_EQ(slept.rfind("sleep allowed after ", 0), 0u) << slept;
    EXPECT_LT(std::stod(slept.substr(20)), 1.0) << slept;
    ::kill(static_cast<pid_t>(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(20000));
    EXPECT_NE(app.readAllStandardOutput().indexOf("Simulated Mac: attached to "), -1);
    EXPECT_EQ(sim.run({"app"}).exitCode, 3);
}

} // namespace
