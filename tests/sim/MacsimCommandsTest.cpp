#include "SimTestSupport.h"

#include "simulator/AppLink.h"

#include "platform/FileLock.h"
#include "platform/PlistPreferenceStore.h"
#include "platform/PropertyList.h"
#include "platform/sim/SimAnalyticsTransport.h"
#include "platform/sim/SimPlatform.h"
#include "support/LogCapture.h"
#include "support/VirtualRuntime.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalSocket>

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <unistd.h>

using namespace tallowmere;
using namespace std::chrono_literals;
using test::MacsimRun;

namespace {

// macsim as a real process against a fresh machine, with the application's platform attached in this process.
class MacsimCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(simulated.start(&error)) << error;
    }
    // Runs macsim while the main queue keeps running, as the application's event loop would.
    MacsimRun run(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& extra = {}) {
        QProcess process;
        sim.start(process, arguments, extra);
        pumpUntil([&] { return process.waitForFinished(1); });
        return {process.exitCode(), process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    }
    bool pumpUntil(const std::function<bool()>& done) {
        return test::waitUntil([&] {
            runtime.runUntilIdle();
            return done();
        });
    }

    test::TemporaryMachine sim;
    test::VirtualRuntime runtime;
    SimPlatform simulated{runtime, sim.folder(), MACSIM_EXECUTABLE};
    Platform platform = simulated.platform();
};

TEST_F(MacsimCommandsTest, EveryEventReachesItsObserverOnTheMainQueue) {
    std::vector<std::string> seen;
    bool allOnMain = true;
    auto observe = [&](NotificationCenter& center, std::initializer_list<const char*> names) {
        for (const char* name : names)
            center.addObserver(name, [&, name] {
                allOnMain = allOnMain && runtime.isMainThread();
                seen.push_back(name);
            });
    };
    using namespace NotificationName;
    observe(platform.workspace.notificationCenter(),
            {screensDidSleep, screensDidWake, sessionDidResignActive, willSleep, didWake, didMount, didUnmount});
    observe(platform.application.distributedCenter(),
            {screenIsLocked, screenIsUnlocked, screensaverDidStart, screensaverDidStop});
    observe(platform.application.defaultCenter(), {screenParametersChanged});
    std::set<std::intptr_t> arguments;
    PowerRegistration registration{};
    registration = platform.systemPower.registerForSystemPower([&](std::uint32_t message, std::intptr_t argument) {
        seen.push_back("power 0x" + QString::number(message, 16).toUpper().toStdString());
        arguments.insert(argument);
        platform.systemPower.allowPowerChange(registration.rootPowerPort, argument);
    });

    auto deliver = [&](const std::vector<std::string>& command, size_t expected) {
        const size_t before = seen.size();
        EXPECT_EQ(run(command).exitCode, 0);
        EXPECT_TRUE(pumpUntil([&] { return seen.size() >= before + expected; })) << command[0];
        return std::vector<std::string>(seen.begin() + static_cast<long>(before), seen.end());
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(deliver({"display", "sleep"}, 1), V{screensDidSleep});
    EXPECT_EQ(deliver({"display", "wake"}, 1), V{screensDidWake});
    EXPECT_EQ(deliver({"lock"}, 1), V{screenIsLocked});
    EXPECT_EQ(deliver({"unlock"}, 1), V{screenIsUnlocked});
    EXPECT_EQ(deliver({"screensaver", "start"}, 1), V{screensaverDidStart});
    EXPECT_EQ(deliver({"screensaver", "stop"}, 1), V{screensaverDidStop});
    EXPECT_EQ(deliver({"switch-user"}, 1), V{sessionDidResignActive});
    EXPECT_EQ(deliver({"screens", "2"}, 1), V{screenParametersChanged});
    EXPECT_EQ(deliver({"volume", "add", "Disk"}, 1), V{didMount});
    EXPECT_EQ(deliver({"diskutil", "unmount", "Disk"}, 1), V{didUnmount});
    EXPECT_EQ(deliver({"diskutil", "mount", "Disk"}, 1), V{didMount});
    EXPECT_EQ(deliver({"volume", "remove", "Disk"}, 1), V{didUnmount});
    EXPECT_EQ(deliver({"sleep"}, 2), (V{"power 0xE0000280", willSleep}));
    EXPECT_EQ(deliver({"sleep", "--idle"}, 2), (V{"power 0xE0000270", willSleep}));
    EXPECT_EQ(deliver({"wake"}, 2), (V{"power 0xE0000300", didWake}));
    EXPECT_TRUE(allOnMain);
    EXPECT_EQ(arguments.size(), 3u) << "every power message carries a fresh argument";
    EXPECT_FALSE(arguments.count(0));

    macsim::MachineState state = sim.machine().state();
    EXPECT_TRUE(state.awake);
    EXPECT_EQ(state.screens, 2);
    EXPECT_EQ(platform.application.screenCount(), 2);
    EXPECT_FALSE(state.sessionActive);
}

TEST_F(MacsimCommandsTest, SleepHandshakeReportsTheApplicationsAnswer) {
    EXPECT_EQ(run({"sleep"}).out, "sleep allowed after 0.000 s\n") << "not registered for power messages";

    bool held = false;
    platform.systemPower.registerForSystemPower(
        [&](std::uint32_t message, std::intptr_t) { held = held || message == PowerMessage::systemWillSleep; });
    MacsimRun unanswered = run({"sleep"}, {{"MACSIM_SLEEP_LIMIT_SECONDS", "0.3"}});
    EXPECT_EQ(unanswered.exitCode, 0);
    EXPECT_EQ(unanswered.out, "sleep went ahead unanswered after 0.300 s\n");
    EXPECT_TRUE(held);
    // An answered sleep is seen end to end (tests/e2e/ProtectionLoopTest.cpp). No application at all: at once.
    simulated.stop();
    EXPECT_EQ(run({"sleep"}).out, "sleep allowed after 0.000 s\n");
}

TEST_F(MacsimCommandsTest, TheApplicationsSocketIsTheUsersDropsWhatIsNoMessageAndKeepsServing) {
    const QString socketPath = QString::fromStdString(sim.machine().socketPath());
    EXPECT_EQ(QFileInfo(socketPath).permissions(),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    test::LogCapture log;
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    ASSERT_TRUE(socket.waitForConnected(5000));
    auto ping = [&](QLocalSocket& connection, const QByteArray& before) {
        connection.write(before + "{\"event\":\"ping\"}\n");
        connection.waitForBytesWritten(5000);
        QByteArray reply;
        bool answered = pumpUntil([&] {
            connection.waitForReadyRead(5);
            reply += connection.readAll();
            return reply.contains('\n');
        });
        return answered && reply == QByteArray("{\"event\":\"pong\",\"pid\":") + QByteArray::number(::getpid()) + "}\n";
    };
    // Five lines dropped with a line each (a notification for a center nobody has is no fault of the line).
    EXPECT_TRUE(
        ping(socket, "garbage\n[1,2]\n{\"event\":\"nonsense\"}\n{\"event\":\"notification\",\"center\":\"nowhere\","
                     "\"name\":\"x\"}\n{\"event\":\"power\",\"message\":1,\"argument\":1e300}\n" +
                         QByteArray(SimEventListener::maximumLineLength + 1, 'x') + "\n"));
    auto dropped = [&] {
        auto lines = log.lines();
        return std::count_if(lines.begin(), lines.end(),
                             [](const std::string& line) { return line.starts_with("Simulated Mac: dropped "); });
    };
    EXPECT_EQ(dropped(), 5);

    // A preference notice waits for the domain, not the messages after it (another writer holds the file).
    {
        FileLock otherWriter(sim.machine().domainPath() + ".lock");
        EXPECT_TRUE(ping(socket, "{\"event\":\"defaultsChanged\"}\n"));
    }

    // A client that sends and never reads its answers is cut off.
    macsim::AppLink greedy(sim.machine().socketPath());
    ASSERT_TRUE(greedy.connect());
    int sent = 0;
    while (sent < 500000 && greedy.send(macsim::AppEvent::ping()))
        ++sent;
    EXPECT_LT(sent, 500000);
    EXPECT_TRUE(log.contains("Simulated Mac: closed a connection that does not read its answers"));

    // Past the limit of connections (half lines that never end), the oldest make way for new ones.
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (std::size_t i = 0; i < SimEventListener::maximumConnections + 10; ++i) {
        idle.push_back(std::make_unique<QLocalSocket>());
        idle.back()->connectToServer(socketPath);
        ASSERT_TRUE(idle.back()->waitForConnected(5000));
        idle.back()->write("{\"event\":\"pi");
        idle.back()->waitForBytesWritten(5000);
    }
    QLocalSocket late;
    late.connectToServer(socketPath);
    ASSERT_TRUE(late.waitForConnected(5000));
    EXPECT_TRUE(ping(late, ""));
    EXPECT_TRUE(idle.front()->waitForDisconnected(5000));
    EXPECT_EQ(dropped(), 5);
}

TEST_F(MacsimCommandsTest, DefaultsRoundTripEveryTypeWithTheApplicationsStore) {
    PlistPreferenceStore store(sim.machine().domainPath());
    // Written by macsim, read by the application with its type, printed as macOS's `defaults` prints it.
    const struct {
        std::vector<std::string> value;
        PropertyValue stored;
        std::string printed;
    } cases[] = {
        {{"-bool", "YES"}, PropertyValue(true), "1\n"},
        {{"-int", "-6"}, PropertyValue(std::int64_t(-6)), "-6\n"},
        {{"-float", "37.5"}, PropertyValue(37.5), "37.5\n"},
        {{"-string", "screen \"locked\"\nnext"},
         PropertyValue("screen \"locked\"\nnext"),
         "\"screen \\\"locked\\\"\\nnext\"\n"},
        {{"-array", "systemSleep", "-leading", "-int", "3"},
         PropertyValue(PropertyArray{"systemSleep", "-leading", std::int64_t(3)}),
         "(\n    systemSleep,\n    -leading,\n    3\n)\n"},
        {{"text without a type"}, PropertyValue("text without a type"), "\"text without a type\"\n"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::string key = "key" + std::to_string(i);
        std::vector<std::string> command{"defaults", "write", key};
        command.insert(command.end(), cases[i].value.begin(), cases[i].value.end());
        EXPECT_EQ(sim.run(command).exitCode, 0) << key;
        store.reloadFromDisk();
        EXPECT_EQ(store.object(key), cases[i].stored) << key;
        EXPECT_EQ(sim.run({"defaults", "read", key}).out, cases[i].printed) << key;
    }
    EXPECT_NE(sim.run({"defaults", "read"}).out.find("    key2 = 37.5;\n"), std::string::npos);

    // And back: what the application stores, `defaults read` prints.
    store.setBool("hasLaunchedOnce", false);
    store.setObject("nested", PropertyValue(PropertyDictionary{{"key", PropertyArray{"a b", 1.25}}}));
    EXPECT_EQ(sim.run({"defaults", "read", "hasLaunchedOnce"}).out, "0\n");
    EXPECT_EQ(sim.run({"defaults", "read", "nested"}).out,
              "{\n    key = (\n        \"a b\",\n        1.25\n    );\n}\n");

    EXPECT_EQ(sim.run({"defaults", "delete", "key5"}).exitCode, 0);
    store.reloadFromDisk();
    EXPECT_FALSE(store.hasObject("key5"));
    EXPECT_EQ(sim.run({"defaults", "delete", "key5"}).exitCode, 1);
    EXPECT_EQ(sim.run({"defaults", "read", "key5"}).exitCode, 1);
    EXPECT_EQ(sim.run({"defaults", "write", "x", "-int", "twelve"}).exitCode, 2);
    EXPECT_EQ(sim.run({"defaults", "write", "x", "-bool", "maybe"}).exitCode, 2);
    EXPECT_EQ(sim.run({"defaults", "write", "x"}).exitCode, 2);
    EXPECT_FALSE(PlistPreferenceStore(sim.machine().domainPath()).hasObject("x"));
}

TEST_F(MacsimCommandsTest, ListingsAndSettingsOfTheMachineAsTheApplicationsAdaptersSeeThem) {
    platform.notifications.add({"tallowmere-first-launch", "Tallowmere is ready", "Body\twith tab", true}, nullptr);
    platform.notifications.add({"E621E1F8", "Disks Remounted", "Successfully remounted: A\nB", true}, nullptr);
    EXPECT_TRUE(platform.workspace.openURL("x-apple.systempreferences:com.apple.preference.notifications"));
    EXPECT_FALSE(platform.workspace.openURL("no scheme here"));
    EXPECT_FALSE(platform.loginItem.unregisterApp()) << "nothing to unregister yet";
    auto controller = platform.updaterFramework.makeStandardUpdaterController(true);
    controller->updater()->setAutomaticallyChecksForUpdates(true);
    controller->checkForUpdates();
    controller->checkForUpdates();
    runtime.runUntilIdle();
    EXPECT_EQ(sim.run({"notifications"}).out, "tallowmere-first-launch\tTallowmere is ready\tBody\\twith tab\n"
                                              "E621E1F8\tDisks Remounted\tSuccessfully remounted: A\\nB\n");
    QJsonDocument posted = QJsonDocument::fromJson(QByteArray::fromStdString(sim.run({"notifications", "--json"}).out));
    EXPECT_EQ(posted.array()[1].toObject().value("body").toString(), "Successfully remounted: A\nB");
    EXPECT_EQ(sim.run({"urls"}).out, "x-apple.systempreferences:com.apple.preference.notifications\n");
    EXPECT_EQ(sim.run({"updates"}).out, "automatic=true checks=2\n");
    EXPECT_EQ(sim.machine().state().updaterStarts, 1);

    EXPECT_EQ(sim.run({"notifications", "auth", "provisional"}).exitCode, 0);
    EXPECT_EQ(sim.run({"notifications", "answer", "deny"}).exitCode, 0);
    EXPECT_EQ(sim.run({"battery", "20.5", "--max", "90"}).exitCode, 0);
    EXPECT_EQ(sim.run({"lowpower", "on"}).exitCode, 0);
    EXPECT_EQ(sim.machine().state().notificationAuthorization, 3);
    EXPECT_FALSE(sim.machine().state().userAllowsNotifications);
    auto sources = platform.powerSources.powerSourceDescriptions();
    ASSERT_TRUE(sources && sources->size() == 1u);
    const auto& battery = *(*sources)[0]->as<PropertyDictionary>();
    EXPECT_EQ(*find(battery, "Type"), PropertyValue("InternalBattery"));
    EXPECT_EQ(*find(battery, "Current Capacity"), PropertyValue(20.5));
    EXPECT_EQ(*find(battery, "Max Capacity"), PropertyValue(std::int64_t(90)));
    EXPECT_TRUE(platform.powerSources.isLowPowerModeEnabled());

    // The simulated ingestion service keeps the records of each accepted POST of a JSON array, and lists each
    // as its type, a tab and its payload as compact JSON, one line whatever the texts hold.
    SimAnalyticsTransport service(sim.machine());
    const std::string batch = R"([{"type":"appLaunched","payload":{"appVersion":"1.0.0"}},)"
                              R"({"type":"odd\ttype","payload":{"note":"two\nlines \"Ω\""}}])";
    EXPECT_EQ(service.send({"POST", "https://ingest.invalid/v2/", {}, batch}).statusCode, 200);
    EXPECT_EQ(sim.run({"analytics"}).out,
              "appLaunched\t{\"appVersion\":\"1.0.0\"}\nodd\\ttype\t{\"note\":\"two\\nlines \\\"Ω\\\"\"}\n");
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(sim.run({"analytics", "--json"}).out)).array(),
              QJsonDocument::fromJson(QByteArray::fromStdString(batch)).array());
    EXPECT_EQ(service.send({"GET", "https://ingest.invalid/v2/", {}, "[]"}).statusCode, 405);
    EXPECT_EQ(service.send({"POST", "https://ingest.invalid/v2/", {}, "[{\"type\""}).statusCode, 400);
    EXPECT_EQ(sim.run({"analytics", "respond", "503"}).exitCode, 0);
    EXPECT_EQ(service.send({"POST", "https://ingest.invalid/v2/", {}, R"([{"type":"lost"}])"}).statusCode, 503);
    EXPECT_EQ(test::lines(sim.run({"analytics"}).out).size(), 2u);

    QJsonDocument status = QJsonDocument::fromJson(QByteArray::fromStdString(sim.run({"status", "--json"}).out));
    ASSERT_TRUE(status.isObject());
    EXPECT_EQ(status.object().value("analytics").toObject().value("status").toInt(), 503);

    EXPECT_EQ(sim.run({"reset"}).exitCode, 0);
    EXPECT_TRUE(sim.run({"notifications"}).out.empty() && sim.run({"urls"}).out.empty());
}

TEST_F(MacsimCommandsTest, UsageErrorsAndFailuresHaveTheirExitCodes) {
    EXPECT_EQ(sim.run({}).exitCode, 2);
    EXPECT_EQ(sim.run({"help"}).exitCode, 0);
    const QString wrongCommands = "frobnicate, volume, volume add, volume add A B, volume add A --kind floppy, "
                                  "volume add A --info noequals, screens -1, screens many, battery -5, "
                                  "battery 50 --max 0, lowpower maybe, fda sometimes, notifications auth yes, "
                                  "display dim, sleep --now, status --xml, analytics respond 42, "
                                  "analytics respond 600, analytics respond 200 extra, analytics --yaml";
    for (const QString& wrong : wrongCommands.split(", ")) {
        std::vector<std::string> arguments;
        for (const QString& word : wrong.split(' '))
            arguments.push_back(word.toStdString());
        MacsimRun run = sim.run(arguments);
        EXPECT_EQ(run.exitCode, 2) << wrong.toStdString();
        EXPECT_FALSE(run.err.empty()) << wrong.toStdString();
    }
    EXPECT_EQ(sim.run({"volume", "remove", "Nothing"}).exitCode, 1);
    EXPECT_EQ(sim.run({"volume", "busy", "Nothing", "on"}).exitCode, 1);
    EXPECT_EQ(sim.run({"tm", "start", "Nothing"}).exitCode, 1);
}

// The stand-in tools run through their links in the machine's bin folder, as the application runs them. What the
// disk manager reads from `diskutil info` is covered end to end (tests/e2e/SimulatedDisksTest.cpp).
class MacsimToolsTest : public ::testing::Test {
protected:
    test::TemporaryMachine sim;
    MacsimRun tool(const char* name, const std::vector<std::string>& arguments) const {
        return sim.run(arguments, {}, sim.folder() + "/bin/" + name);
    }
};

TEST_F(MacsimToolsTest, DiskutilListsWholeDisksWithTheirVolumesAndRefusesUnknownTargets) {
    ASSERT_EQ(sim.run({"volume", "add", "Stick"}).exitCode, 0);
    ASSERT_EQ(sim.run({"volume", "add", "Installer", "--kind", "dmg"}).exitCode, 0);
    // One dictionary per whole disk, volumes under "Partitions" with their mount points.
    auto list = PropertyList::parseDictionary(tool("diskutil", {"list", "-plist"}).out);
    ASSERT_TRUE(list);
    const auto* disks = findAs<PropertyArray>(*list, "AllDisksAndPartitions");
    ASSERT_TRUE(disks && disks->size() == 3u);
    const auto& usb = *(*disks)[1].as<PropertyDictionary>();
    EXPECT_EQ(*findAs<std::string>(usb, "DeviceIdentifier"), "disk4");
    const auto& partition = *(*findAs<PropertyArray>(usb, "Partitions"))[0].as<PropertyDictionary>();
    EXPECT_EQ(*findAs<std::string>(partition, "DeviceIdentifier"), "disk4s1");
    EXPECT_EQ(*findAs<std::string>(partition, "VolumeName"), "Stick");
    EXPECT_EQ(*findAs<std::string>(partition, "MountPoint"), "/Volumes/Stick");
    EXPECT_NE(tool("diskutil", {"list"}).out.find("/dev/disk4 (external, physical):"), std::string::npos);

    MacsimRun unknown = tool("diskutil", {"info", "-plist", "/Volumes/Nothing"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.out.empty() && !unknown.err.empty());
    // `macsim diskutil …` is the same tool; a disk image names its image also on the whole disk.
    const std::string image = tool("diskutil", {"info", "-plist", "Installer"}).out;
    EXPECT_EQ(sim.run({"diskutil", "info", "-plist", "disk5s1"}).out, image);
    const PropertyDictionary info = PropertyList::parseDictionary(image).value_or(PropertyDictionary{});
    const auto* parent = findAs<PropertyDictionary>(info, "ParentWholeDisk");
    EXPECT_TRUE(parent && *findAs<std::string>(*parent, "MediaName") == "Apple Disk Image");
}

TEST_F(MacsimToolsTest, TimeMachineHoldsItsVolumeUntilStoppedAndPmsetSleeps) {
    ASSERT_EQ(sim.run({"volume", "add", "Time Capsule"}).exitCode, 0);
    ASSERT_EQ(sim.run({"tm", "start", "Time Capsule"}).exitCode, 0);
    EXPECT_EQ(tool("diskutil", {"unmount", "/Volumes/Time Capsule"}).exitCode, 1) << "the backup holds the volume";
    EXPECT_FALSE(sim.machine().eject("/Volumes/Time Capsule").ok);
    EXPECT_EQ(tool("tmutil", {"stopbackup"}).exitCode, 0);
    EXPECT_NE(tool("tmutil", {"status"}).out.find("Running = 0;"), std::string::npos);
    EXPECT_EQ(tool("diskutil", {"unmount", "/Volumes/Time Capsule"}).exitCode, 0);
    EXPECT_EQ(sim.run({"tm", "start", "Time Capsule"}).exitCode, 1) << "only a mounted volume can be a destination";
    EXPECT_EQ(tool("diskutil", {"mountDisk", "disk4"}).exitCode, 0);
    EXPECT_EQ(sim.run({"volume", "list"}).out, "disk4s1\tTime Capsule\tmounted\tusb\n");

    EXPECT_EQ(tool("pmset", {"sleepnow"}).exitCode, 0);
    EXPECT_TRUE(test::waitUntil([&] { return !sim.machine().state().awake; }));
}

// A drive slow to flush finishes the unmount of a tool run killed meanwhile.
TEST_F(MacsimToolsTest, ASlowDriveFinishesAnUnmountEvenWhenTheAskerIsKilled) {
    ASSERT_EQ(sim.run({"volume", "add", "Slow"}).exitCode, 0);
    ASSERT_EQ(sim.run({"volume", "slow", "Slow", "1.5"}).exitCode, 0);
    QProcess unmount;
    sim.start(unmount, {"unmount", "Slow"}, {}, sim.folder() + "/bin/diskutil");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    unmount.kill();
    EXPECT_EQ(sim.run({"volume", "list"}).out, "disk4s1\tSlow\tmounted\tusb\n");
    EXPECT_TRUE(test::waitUntil([&] { return sim.run({"volume", "list"}).out == "disk4s1\tSlow\tunmounted\tusb\n"; }));
}

TEST_F(MacsimToolsTest, TwoProcessesAddingFiftyVolumesEachLeaveExactlyOneHundred) {
    auto writer = [&](const std::string& prefix) {
        for (int i = 0; i < 50; ++i)
            EXPECT_EQ(sim.run({"volume", "add", prefix + std::to_string(i)}).exitCode, 0);
    };
    std::thread first(writer, "left ");
    std::thread second(writer, "right ");
    first.join();
    second.join();
    std::set<std::string> devices;
    for (const std::string& line : test::lines(sim.run({"volume", "list"}).out))
        devices.insert(line.substr(0, line.find('\t')));
    EXPECT_EQ(devices.size(), 100u);
    EXPECT_EQ(
        QDir(QString::fromStdString(sim.folder() + "/Volumes")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(),
        100);
}

} // namespace
