#include "app/RemoteControl.h"
#include "app/DelegateHarness.h"

namespace tallowmere::test {
namespace {

TEST(CommandLineParsing, DurationsSectionsAndUsage) {
    EXPECT_EQ(parseDurationText("90m"), 5400);
    EXPECT_EQ(parseDurationText("1h30m"), 5400);
    EXPECT_EQ(parseDurationText("1 hour 30 minutes"), 5400);
    EXPECT_EQ(parseDurationText("2 HR"), 7200);
    for (const char* bad : {"", "0m", "7x", "1h30", "m", "-5m", "99999999999h", "5m junk", "1.5h"})
        EXPECT_EQ(parseDurationText(bad), std::nullopt) << bad;

    auto guard = [](std::string argument) { return parseControlCommand({"guard", argument}).command->guard; };
    EXPECT_EQ(guard("2h"), (GuardSwitch{GuardSwitch::Kind::menuDuration, ActivationDuration::hr2}));
    EXPECT_EQ(guard("5 min"), (GuardSwitch{GuardSwitch::Kind::menuDuration, ActivationDuration::min5}));
    EXPECT_EQ(guard("Indefinitely"), (GuardSwitch{GuardSwitch::Kind::menuDuration, ActivationDuration::indefinitely}));
    EXPECT_EQ(guard("90m"), (GuardSwitch{GuardSwitch::Kind::seconds, ActivationDuration::off, 5400}));
    EXPECT_EQ(guard("OFF").kind, GuardSwitch::Kind::off);
    EXPECT_EQ(parseControlCommand({"settings", "Quenby-Guard"}).command->section, SettingsSection::quenbyGuard);
    EXPECT_EQ(parseControlCommand({"settings", "guard"}).command->section, SettingsSection::quenbyGuard);
    EXPECT_EQ(parseControlCommand({"settings"}).command->section, std::nullopt);
    for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{{},
                                                                              {"stats"},
                                                                              {"guard"},
                                                                              {"guard", "on", "now"},
                                                                              {"settings", "sound"},
                                                                              {"status", "--xml"},
                                                                              {"quit", "x"}})
        EXPECT_FALSE(parseControlCommand(bad).command) << (bad.empty() ? "" : bad[0]);

    CommandLine line = parseCommandLine({"--platform", "linux", "status", "--json"});
    EXPECT_EQ(line.action, CommandLine::Action::command);
    EXPECT_EQ(line.platform, "linux");
    EXPECT_TRUE(line.command.json);
    EXPECT_EQ(line.words, (std::vector<std::string>{"status", "--json"}));
    EXPECT_EQ(parseCommandLine({"status", "--help"}).action, CommandLine::Action::badUsage);
    EXPECT_EQ(parseCommandLine({"--version", "--help"}).action, CommandLine::Action::help);
    EXPECT_EQ(parseCommandLine({"--platform=sim"}).action, CommandLine::Action::start);
    EXPECT_EQ(parseCommandLine({"-style", "fusion"}).others, (std::vector<std::string>{"-style", "fusion"}));
    for (std::vector<std::string> bad :
         std::vector<std::vector<std::string>>{{"--platform"}, {"--frobnicate"}, {"stauts"}})
        EXPECT_EQ(parseCommandLine(bad).action, CommandLine::Action::badUsage) << bad[0];
}

// The application's answers to what the socket brings, on a delegate with faked ports and virtual time.
class RemoteControlOnTheDelegate : public DelegateTest {
protected:
    void SetUp() override {
        launchAgain();
        runtime.advance(1s);
    }
    std::shared_ptr<RemoteControl> control = RemoteControl::create(delegate->context());

    ControlAnswer send(const QByteArray& line) {
        std::optional<ControlAnswer> answer;
        control->handleRequest(line, [&](const QByteArray& reply) {
            EXPECT_TRUE(reply.endsWith('\n') && reply.count('\n') == 1);
            answer = ControlProtocol::decodeAnswer(reply.chopped(1));
        });
        runtime.advance(30s);
        EXPECT_TRUE(answer.has_value()) << line.toStdString();
        return answer.value_or(ControlAnswer{});
    }
    ControlAnswer command(const std::vector<std::string>& words) {
        return send(ControlProtocol::encodeRequest(words).chopped(1));
    }
};

TEST_F(RemoteControlOnTheDelegate, GarbageAndAPageThePlatformLacksAreRefused) {
    for (const char* line : {"", "status", "{\"command\":\"status\"}", "[1]", "[\"status\",", "[\"rm\",\"-rf\"]"})
        EXPECT_EQ(send(line).status, CommandStatus::badUsage) << line;
    EXPECT_FALSE(ControlProtocol::decodeAnswer(R"({"status":7})"));
    EXPECT_FALSE(stayAwakeController().isActive());
    // No Updates page where there is no updater: that section is refused, the others open.
    platform.features = PlatformFeatures::linuxDesktop("GNOME", false);
    EXPECT_EQ(command({"settings", "updates"}).error, "settings: there is no updates section here.");
    EXPECT_EQ(command({"settings", "battery"}).status, CommandStatus::success);
}

TEST_F(RemoteControlOnTheDelegate, StatusGuardEjectAndRemountAnswerWhatWasDone) {
    enableAutoEject({"systemSleep", "screenLocked"});
    preferences.setBool(PreferenceKey::unmountInsteadOfEject, true);
    denyFullDiskAccess(); // nobody is at the screen to answer a prompt: the command line ejects all the same
    disks.add("Backup");
    EXPECT_EQ(command({"status"}).output, "Quenby Guard is off.\nProtection across sleep is on.\n"
                                          "Triggers: System starts sleeping, Screen is locked.\n"
                                          "Volumes it would take offline: Backup (/Volumes/Backup).\n"
                                          "No volume is held offline.\n");

    const WallTime start = runtime.wallNow();
    EXPECT_EQ(command({"guard", "90m"}).status, CommandStatus::success);
    EXPECT_EQ(stayAwakeController().activeUntil(), start + 5400s);
    EXPECT_EQ(preferences.integerValue(PreferenceKey::activationDurationIndex), 0); // the default stays
    EXPECT_EQ(command({"guard", "2h"}).status, CommandStatus::success);
    EXPECT_EQ(preferences.integerValue(PreferenceKey::activationDurationIndex), 7);
    EXPECT_EQ(command({"guard", "off"}).output, "Quenby Guard is off.\n");
    assertions.failNextWith({-536870199, 0});
    ControlAnswer refused = command({"guard", "on"});
    EXPECT_EQ(refused.status, CommandStatus::failed);
    EXPECT_EQ(refused.error, "Quenby Guard could not be turned on.");

    EXPECT_EQ(command({"eject"}).output, "Successfully unmounted: Backup.\n");
    EXPECT_FALSE(disks.isMounted("Backup"));
    EXPECT_TRUE(windows.built["prompt"].empty());
    EXPECT_NE(command({"status", "--json"}).output.find(R"("heldOffline": [
        {
            "name": "Backup",
            "path": "/Volumes/Backup")"),
              std::string::npos);
    EXPECT_EQ(command({"remount"}).output, "Successfully remounted: Backup.\n");
    EXPECT_TRUE(disks.isMounted("Backup"));
    EXPECT_EQ(command({"remount"}).output, "No volume is held offline.\n");
}

} // namespace
} // namespace tallowmere::test
