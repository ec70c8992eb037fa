#include "SimTestSupport.h"

#include "AppLink.h"

#include "platform/sim/PlistPreferenceStore.h"
#include "platform/sim/SimAnalyticsTransport.h"
#include "platform/sim/SimEventListener.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <mutex>
#include <unistd.h>

using namespace tallowmere;
using test::MacsimRun;
using test::TemporaryMachine;

namespace {

// Stands in for the application: attached to the machine, it records every message on its socket.
class FakeApplication {
public:
    enum class Power { answerAfterWillSleepNotification, neverAnswer, notRegistered };

    FakeApplication(TemporaryMachine& sim, Power power)
        : m_power(power)
        , m_listener(sim.machine().socketPath(), [this](const QJsonObject& message) { return receive(message); }) {
        EXPECT_TRUE(m_listener.start());
        sim.machine().attachApp(macsim::ProcessIdentity::current());
    }

    std::vector<QJsonObject> messages() {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }
    size_t count() { return messages().size(); }

    // "center name" for notifications, "power 0x…" for power messages, the event name otherwise.
    std::vector<std::string> summary() {
        std::vector<std::string> result;
        for (const QJsonObject& message : messages()) {
            QString event = message.value("event").toString();
            if (event == "notification")
                event = message.value("center").toString() + " " + message.value("name").toString();
            else if (event == "power")
                event = "power 0x" + QString::number(message.value("message").toInteger(), 16).toUpper();
            result.push_back(event.toStdString());
        }
        return result;
    }

private:
    std::optional<QJsonObject> receive(const QJsonObject& message) {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(message);
        QString event = message.value("event").toString();
        if (event == "ping")
            return macsim::AppEvent::pong(::getpid());
        if (event == "power") {
            m_pendingArgument = static_cast<std::int64_t>(message.value("argument").toDouble());
            if (m_power == Power::notRegistered)
                return macsim::AppEvent::powerNotRegistered(m_pendingArgument);
        }
        if (event == "notification" && message.value("name").toString() == "NSWorkspaceWillSleepNotification" &&
            m_power == Power::answerAfterWillSleepNotification)
            m_listener.answerPowerMessage(m_pendingArgument, macsim::AppEvent::allowPowerChange(m_pendingArgument));
        return std::nullopt;
    }

    Power m_power;
    std::mutex m_mutex;
    std::vector<QJsonObject> m_messages;
    std::int64_t m_pendingArgument = 0;
    SimEventListener m_listener;
};

class MacsimCommandsTest : public ::testing::Test {
protected:
    TemporaryMachine sim;

    // Runs a command and waits until the fake application got `expected` more messages.
    std::vector<std::string> deliver(FakeApplication& app, const std::vector<std::string>& command, size_t expected) {
        size_t before = app.count();
        MacsimRun run = sim.run(command);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(test::waitUntil([&] { return app.count() >= before + expected; }));
        std::vector<std::string> all = app.summary();
        return std::vector<std::string>(all.begin() + static_cast<long>(std::min(before, all.size())), all.end());
    }
};

TEST_F(MacsimCommandsTest, TheApplicationReceivesEveryEventKind) {
    FakeApplication app(sim, FakeApplication::Power::answerAfterWillSleepNotification);
    using V = std::vector<std::string>;
    EXPECT_EQ(deliver(app, {"display", "sleep"}, 1), V{"workspace NSWorkspaceScreensDidSleepNotification"});
    EXPECT_EQ(deliver(app, {"display", "wake"}, 1), V{"workspace NSWorkspaceScreensDidWakeNotification"});
    EXPECT_EQ(deliver(app, {"lock"}, 1), V{"distributed com.apple.screenIsLocked"});
    EXPECT_EQ(deliver(app, {"unlock"}, 1), V{"distributed com.apple.screenIsUnlocked"});
    EXPECT_EQ(deliver(app, {"screensaver", "start"}, 1), V{"distributed com.apple.screensaver.didstart"});
    EXPECT_EQ(deliver(app, {"screensaver", "stop"}, 1), V{"distributed com.apple.screensaver.didstop"});
    EXPECT_EQ(deliver(app, {"switch-user"}, 1), V{"workspace NSWorkspaceSessionDidResignActiveNotification"});
    EXPECT_EQ(deliver(app, {"screens", "2"}, 1), V{"default NSApplicationDidChangeScreenParametersNotification"});
    EXPECT_EQ(deliver(app, {"volume", "add", "Disk"}, 1), V{"workspace NSWorkspaceDidMountNotification"});
    EXPECT_EQ(deliver(app, {"diskutil", "unmount", "Disk"}, 1), V{"workspace NSWorkspaceDidUnmountNotification"});
    EXPECT_EQ(deliver(app, {"diskutil", "mount", "Disk"}, 1), V{"workspace NSWorkspaceDidMountNotification"});
    EXPECT_EQ(deliver(app, {"volume", "remove", "Disk"}, 1), V{"workspace NSWorkspaceDidUnmountNotification"});
    EXPECT_EQ(deliver(app, {"sleep"}, 2), (V{"power 0xE0000280", "workspace NSWorkspaceWillSleepNotification"}));
    EXPECT_EQ(deliver(app, {"sleep", "--idle"}, 2),
              (V{"power 0xE0000270", "workspace NSWorkspaceWillSleepNotification"}));
    EXPECT_EQ(deliver(app, {"wake"}, 2), (V{"power 0xE0000300", "workspace NSWorkspaceDidWakeNotification"}));
    EXPECT_EQ(deliver(app, {"defaults", "write", "stayAwakeEnabled", "-bool", "true"}, 1), V{"defaultsChanged"});
    EXPECT_EQ(deliver(app, {"app"}, 1), V{"ping"});

    // Every power message carries a fresh, non-zero argument.
    std::set<std::int64_t> arguments;
    for (const QJsonObject& message : app.messages())
        if (message.value("event").toString() == "power")
            arguments.insert(static_cast<std::int64_t>(message.value("argument").toDouble()));
    EXPECT_EQ(arguments.size(), 3u);
    EXPECT_FALSE(arguments.count(0));

    macsim::MachineState state = sim.machine().state();
    EXPECT_TRUE(state.awake);
    EXPECT_EQ(state.screens, 2);
    EXPECT_FALSE(state.sessionActive);
}

TEST_F(MacsimCommandsTest, SleepHandshakeReportsTheApplicationsAnswer) {
    static const QRegularExpression allowed("^sleep allowed after [0-9]+\\.[0-9]{3} s\n$");
    {
        FakeApplication app(sim, FakeApplication::Power::answerAfterWillSleepNotification);
        MacsimRun run = sim.run({"sleep"});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(allowed.match(QString::fromStdString(run.out)).hasMatch()) << run.out;
        EXPECT_LT(std::stod(run.out.substr(20)), 20.0);
        EXPECT_FALSE(sim.machine().state().awake);
        EXPECT_EQ(sim.run({"app"}).out, "running " + std::to_string(::getpid()) + "\n");
    }
    {
        FakeApplication app(sim, FakeApplication::Power::neverAnswer);
        MacsimRun run = sim.run({"sleep"}, {{"MACSIM_SLEEP_LIMIT_SECONDS", "0.3"}});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out, "sleep went ahead unanswered after 0.300 s\n");
    }
    {
        FakeApplication app(sim, FakeApplication::Power::notRegistered);
        EXPECT_EQ(sim.run({"sleep", "--idle"}).out, "sleep allowed after 0.000 s\n");
    }
    // No application at all: the machine sleeps at once.
    sim.machine().detachApp(macsim::ProcessIdentity::current());
    EXPECT_EQ(sim.run({"sleep"}).out, "sleep allowed after 0.000 s\n");
    MacsimRun none = sim.run({"app"});
    EXPECT_EQ(none.exitCode, 3);
    EXPECT_TRUE(none.out.empty());
}

TEST_F(MacsimCommandsTest, DefaultsRoundTripEveryTypeWithTheApplicationsStore) {
    auto write = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"defaults", "write"});
        MacsimRun run = sim.run(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err;
    };
    write({"autoEjectBeforeSleep", "-bool", "YES"});
    write({"activationDurationIndex", "-int", "-6"});
    write({"batteryCap", "-float", "37.5"});
    write({"autoEjectTrigger", "-string", "screen \"locked\"\nnext"});
    write({"autoEjectTriggers", "-array", "systemSleep", "-leading", "-int", "3"});
    write({"plain", "text without a type"});
    PlistPreferenceStore store(sim.machine().domainPath());
    EXPECT_EQ(store.object("autoEjectBeforeSleep"), PropertyValue(true));
    EXPECT_EQ(store.object("activationDurationIndex"), PropertyValue(std::int64_t(-6)));
    EXPECT_EQ(store.object("batteryCap"), PropertyValue(37.5));
    EXPECT_EQ(store.object("autoEjectTrigger"), PropertyValue("screen \"locked\"\nnext"));
    EXPECT_EQ(store.object("autoEjectTriggers"),
              PropertyValue(PropertyArray{"systemSleep", "-leading", std::int64_t(3)}));
    EXPECT_EQ(store.object("plain"), PropertyValue("text without a type"));

    // And back: what the application stores, `defaults read` prints.
    store.setBool("hasLaunchedOnce", false);
    store.setObject("nested", PropertyValue(PropertyDictionary{{"key", PropertyArray{"a b", 1.25}}}));
    auto read = [&](const std::string& key) { return sim.run({"defaults", "read", key}).out; };
    EXPECT_EQ(read("hasLaunchedOnce"), "0\n");
    EXPECT_EQ(read("autoEjectBeforeSleep"), "1\n");
    EXPECT_EQ(read("activationDurationIndex"), "-6\n");
    EXPECT_EQ(read("batteryCap"), "37.5\n");
    EXPECT_EQ(read("autoEjectTrigger"), "\"screen \\\"locked\\\"\\nnext\"\n");
    EXPECT_EQ(read("autoEjectTriggers"), "(\n    systemSleep,\n    -leading,\n    3\n)\n");
    EXPECT_EQ(read("nested"), "{\n    key = (\n        \"a b\",\n        1.25\n    );\n}\n");
    EXPECT_NE(sim.run({"defaults", "read"}).out.find("    batteryCap = 37.5;\n"), std::string::npos);

    EXPECT_EQ(sim.run({"defaults", "delete", "plain"}).exitCode, 0);
    store.reloadFromDisk();
    EXPECT_FALSE(store.hasObject("plain"));
    EXPECT_EQ(sim.run({"defaults", "delete", "plain"}).exitCode, 1);
    EXPECT_EQ(sim.run({"defaults", "read", "plain"}).exitCode, 1);
    EXPECT_EQ(sim.run({"defaults", "write", "x", "-int", "twelve"}).exitCode, 2);
    EXPECT_EQ(sim.run({"defaults", "write", "x", "-bool", "maybe"}).exitCode, 2);
    EXPECT_EQ(sim.run({"defaults", "write", "x"}).exitCode, 2);
    EXPECT_FALSE(PlistPreferenceStore(sim.machine().domainPath()).hasObject("x"));
}

TEST_F(MacsimCommandsTest, ListingsAndSettingsOfTheMachine) {
    sim.machine().update([](macsim::MachineState& state) {
        state.notifications.push_back({"tallowmere-first-launch", "Tallowmere is ready", "Body\twith tab", {}});
        state.notifications.push_back({"E621E1F8", "Disks Remounted", "Successfully remounted: A\nB", 19u});
        state.openedURLs = {"x-apple.systempreferences:com.apple.preference.notifications"};
        state.loginItemRegistered = true;
        state.automaticUpdateChecks = true;
        state.updateChecks = 2;
        return true;
    });
    EXPECT_EQ(sim.run({"notifications"}).out, "tallowmere-first-launch\tTallowmere is ready\tBody\\twith tab\n"
                                              "E621E1F8\tDisks Remounted\tSuccessfully remounted: A\\nB\n");
    QJsonDocument posted = QJsonDocument::fromJson(QByteArray::fromStdString(sim.run({"notifications", "--json"}).out));
    ASSERT_TRUE(posted.isArray());
    EXPECT_EQ(posted.array()[1].toObject().value("body").toString(), "Successfully remounted: A\nB");
    EXPECT_EQ(sim.run({"urls"}).out, "x-apple.systempreferences:com.apple.preference.notifications\n");
    EXPECT_EQ(sim.run({"login-item"}).out, "registered\n");
    EXPECT_EQ(sim.run({"updates"}).out, "automatic=true checks=2\n");

    EXPECT_EQ(sim.run({"notifications", "auth", "provisional"}).exitCode, 0);
    EXPECT_EQ(sim.run({"notifications", "answer", "deny"}).exitCode, 0);
    EXPECT_EQ(sim.run({"battery", "20.5", "--max", "90"}).exitCode, 0);
    EXPECT_EQ(sim.run({"lowpower", "on"}).exitCode, 0);
    EXPECT_EQ(sim.run({"fda", "granted"}).exitCode, 0);
    macsim::MachineState state = sim.machine().state();
    EXPECT_EQ(state.notificationAuthorization, 3);
    EXPECT_FALSE(state.userAllowsNotifications);
    ASSERT_TRUE(state.battery);
    EXPECT_EQ(state.battery->currentCapacity, 20.5);
    EXPECT_EQ(state.battery->maxCapacity, 90);
    EXPECT_TRUE(state.lowPowerMode);
    EXPECT_EQ(state.fullDiskAccess, macsim::FullDiskAccess::granted);
    EXPECT_EQ(sim.run({"battery", "none"}).exitCode, 0);
    EXPECT_FALSE(sim.machine().state().battery);

    auto held = sim.machine().createAssertion("PreventUserIdleSystemSleep", 255, "Tallowmere Quenby Guard Requested",
                                              macsim::ProcessIdentity::current());
    EXPECT_EQ(sim.run({"assertions"}).out,
              std::to_string(*held) + "\tPreventUserIdleSystemSleep\tTallowmere Quenby Guard Requested\n");

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
    EXPECT_TRUE(sim.run({"notifications"}).out.empty());
    EXPECT_EQ(sim.run({"login-item"}).out, "unregistered\n");
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

} // namespace
