#include "SignalClientHarness.h"

#include "analytics/EnrichmentParameters.h"
#include "analytics/SessionStatistics.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

using namespace std::chrono_literals;
using namespace tallowmere;
using namespace tallowmere::test;

namespace {

class SignalRecordTest : public ::testing::Test, public SignalClientHarness {
protected:
    SignalPostBody onlyRecord(SignalClient& client) {
        auto records = client.signalManager().cache().pendingSignals();
        EXPECT_EQ(records.size(), 1u);
        return records.empty() ? SignalPostBody{} : records.front();
    }
};

TEST_F(SignalRecordTest, TheRequestBodyCarriesExactlyTheRecordKeys) {
    auto client = start();
    client->signal("toggleKeepAwake", {{"mode", "timed"}}, 4.5, std::nullopt);
    client->signal("appLaunched", {}, std::nullopt, std::nullopt);
    client->signal("odd", {}, std::numeric_limits<double>::quiet_NaN(), std::nullopt);
    runtime.runUntilIdle();
    runtime.advance(10s);
    auto sent = batches();
    ASSERT_EQ(sent.size(), 1u);
    ASSERT_EQ(sent[0].size(), 3u);
    std::map<std::string, QJsonObject> byType;
    for (const auto& record : sent[0])
        byType[record.value("type").toString().toStdString()] = record;

    const QJsonObject& timed = byType["toggleKeepAwake"];
    EXPECT_EQ(timed.keys(), (QStringList{"appID", "clientUser", "floatValue", "isTestMode", "payload", "receivedAt",
                                         "sessionID", "type"}));
    EXPECT_EQ(timed.value("floatValue").toDouble(), 4.5);
    EXPECT_EQ(timed.value("appID").toString(), appID);
    EXPECT_EQ(timed.value("isTestMode").toString(), "false");
    EXPECT_EQ(timed.value("receivedAt").toString(), "2026-01-05T09:00:00.000Z");
    EXPECT_EQ(timed.value("sessionID").toString(),
              client->configuration().sessionID.toString(QUuid::WithoutBraces).toUpper());
    EXPECT_TRUE(QRegularExpression("^[0-9a-f]{64}$").match(timed.value("clientUser").toString()).hasMatch());
    EXPECT_EQ(timed.value("payload").toObject().value("mode").toString(), "timed");
    EXPECT_FALSE(byType["appLaunched"].contains("floatValue"));
    EXPECT_FALSE(byType["odd"].contains("floatValue")) << "JSON has no NaN";
}

TEST_F(SignalRecordTest, TheClientUserIsTheSaltedHashOfAStableIdentifier) {
    EXPECT_EQ(UserIdentifier::clientUser("ab", "c"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

    std::string firstUser;
    {
        auto client = start();
        sendSignals(*client, 1);
        firstUser = onlyRecord(*client).clientUser;
        client->appWillTerminate();
    }
    auto stored = preferences.stringValue("defaultUserIdentifier");
    ASSERT_TRUE(stored);
    EXPECT_EQ(firstUser, UserIdentifier::clientUser(*stored, ""));
    fileSystem.setFile(cachePath, "[]");

    auto again = start();
    sendSignals(*again, 1);
    EXPECT_EQ(onlyRecord(*again).clientUser, firstUser) << "the same user after a restart";
    fileSystem.setFile(cachePath, "[]");

    auto salted = configuration();
    salted.salt = "pepper";
    auto saltedClient = start(std::move(salted));
    saltedClient->signalManager().cache().pop();
    sendSignals(*saltedClient, 1);
    EXPECT_EQ(onlyRecord(*saltedClient).clientUser, UserIdentifier::clientUser(*stored, "pepper"));
    EXPECT_NE(onlyRecord(*saltedClient).clientUser, firstUser);

    // A user named by the signal, then by the configuration, comes before the stored identifier.
    saltedClient->signalManager().cache().pop();
    saltedClient->signal("custom", {}, std::nullopt, "someone");
    runtime.runUntilIdle();
    EXPECT_EQ(onlyRecord(*saltedClient).clientUser, UserIdentifier::clientUser("someone", "pepper"));
    fileSystem.setFile(cachePath, "[]");
    auto team = configuration();
    team.defaultUser = "team-account";
    auto teamClient = start(std::move(team));
    sendSignals(*teamClient, 1);
    EXPECT_EQ(onlyRecord(*teamClient).clientUser, UserIdentifier::clientUser("team-account", ""));
}

TEST_F(SignalRecordTest, ThePayloadCarriesTheEnrichmentTheDefaultsAndTheCallersParameters) {
    screen->update({2560, 1440, 2.0, "Dark", true, false});
    auto config = configuration();
    config.defaultParameters = [] { return SignalParameters{{"channel", "direct"}, {"appVersion", "from defaults"}}; };
    config.metadataEnrichers.push_back([](const std::string& type, const std::string& user, std::optional<double>) {
        return SignalParameters{{"enrichedType", type}, {"userLength", std::to_string(user.size())}};
    });
    config.defaultSignalPrefix = "Quenby.";
    config.defaultParameterPrefix = "p.";
    auto client = start(std::move(config));
    client->signal("toggle", {{"action", "activate"}, {"channel", "menu"}}, std::nullopt, std::nullopt);
    runtime.runUntilIdle();
    SignalPostBody body = onlyRecord(*client);

    EXPECT_EQ(body.type, "Quenby.toggle");
    const SignalParameters& p = body.payload;
    EXPECT_EQ(p.at("p.action"), "activate");
    EXPECT_EQ(p.at("p.channel"), "menu");
    EXPECT_EQ(p.at("channel"), "direct");
    EXPECT_EQ(p.at("appVersion"), "from defaults") << "the configuration's defaults win over enrichment";
    EXPECT_EQ(p.at("enrichedType"), "Quenby.toggle");
    EXPECT_EQ(p.at("userLength"), "64");
    EXPECT_EQ(p.at("Analytics.Device.screenResolutionWidth"), "2560");
    EXPECT_EQ(p.at("Analytics.Device.screenResolutionHeight"), "1440");
    EXPECT_EQ(p.at("Analytics.Device.screenScaleFactor"), "2");
    EXPECT_EQ(p.at("Analytics.Device.orientation"), "Landscape");
    EXPECT_EQ(p.at("Analytics.UserPreference.colorScheme"), "Dark");
    EXPECT_EQ(p.at("Analytics.Accessibility.isReduceMotionEnabled"), "true");
}

TEST_F(SignalRecordTest, EnrichmentHasEveryFixedNameWithFactsOfThisMachineAndTheMoment) {
    // 2026-01-05 09:00 UTC is a Monday; in Auckland it is already 22:00.
    SignalParameters p = enrichmentParameters(facts(), ScreenMetrics{}, VirtualRuntime::wallEpoch());
    const std::vector<std::pair<std::string, std::string>> groups = {
        {"Analytics.AppInfo.", "buildNumber version versionAndBuildNumber"},
        {"Analytics.Device.", "architecture modelName operatingSystem orientation platform screenResolutionHeight "
                              "screenResolutionWidth screenScaleFactor systemMajorMinorVersion systemMajorVersion "
                              "systemVersion timeZone"},
        {"Analytics.RunContext.",
         "isAppStore isDebug isSimulator isTestFlight language locale targetEnvironment extensionIdentifier"},
        {"Analytics.SDK.", "name nameAndVersion version"},
        {"Analytics.UserPreference.", "colorScheme language layoutDirection region"},
        {"Analytics.Calendar.",
         "dayOfMonth dayOfWeek dayOfYear weekOfYear isWeekend monthOfYear quarterOfYear hourOfDay"},
        {"Analytics.Accessibility.", "isReduceMotionEnabled isInvertColorsEnabled"},
        {"", "platform systemVersion majorSystemVersion majorMinorSystemVersion appVersion buildNumber isSimulator "
             "isDebug isTestFlight isAppStore modelName architecture operatingSystem targetEnvironment locale region "
             "appLanguage preferredLanguage extensionIdentifier analyticsClientVersion"},
    };
    std::size_t expected = 0;
    for (const auto& [prefix, words] : groups) {
        for (const QString& word : QString::fromStdString(words).split(' ')) {
            EXPECT_TRUE(p.contains(prefix + word.toStdString())) << prefix << word.toStdString();
            ++expected;
        }
    }
    EXPECT_EQ(p.size(), expected);

    EXPECT_EQ(p["Analytics.AppInfo.versionAndBuildNumber"], "2.3.1 (build 231)");
    EXPECT_EQ(p["majorMinorSystemVersion"], "14.4");
    EXPECT_EQ(p["Analytics.Calendar.dayOfWeek"], "1");
    EXPECT_EQ(p["Analytics.Calendar.isWeekend"], "false");
    EXPECT_EQ(p["Analytics.Calendar.dayOfYear"], "5");
    EXPECT_EQ(p["Analytics.Calendar.weekOfYear"], "2");
    EXPECT_EQ(p["Analytics.Calendar.quarterOfYear"], "1");
    EXPECT_EQ(p["Analytics.Calendar.hourOfDay"], "9");

    EnvironmentFacts auckland = facts();
    auckland.timeZone = QTimeZone("Pacific/Auckland");
    SignalParameters late = enrichmentParameters(auckland, ScreenMetrics{}, VirtualRuntime::wallEpoch() + 48h);
    EXPECT_EQ(late["Analytics.Device.timeZone"], "Pacific/Auckland");
    EXPECT_EQ(late["Analytics.Calendar.hourOfDay"], "22");
    EXPECT_EQ(late["Analytics.Calendar.dayOfMonth"], "7");

    // The facts of this process.
    EnvironmentFacts here = EnvironmentFacts::current(bundle);
    EXPECT_EQ(here.appVersion + " " + here.buildNumber, "2.3.1 231");
    EXPECT_FALSE(here.systemVersion.empty() || here.systemMajorVersion.empty() || here.locale.empty());
    EXPECT_TRUE(here.timeZone.isValid());
}

TEST_F(SignalRecordTest, ReservedNamesAreWarnedAbout) {
    auto client = start();
    client->signal("Analytics.custom", {{"Analytics.key", "1"}, {"platform", "2"}, {"fine", "3"}}, std::nullopt,
                   std::nullopt);
    client->signal("type", {}, std::nullopt, std::nullopt);
    runtime.runUntilIdle();
    EXPECT_TRUE(log.contains("Analytics: Sending signal with reserved prefix 'Analytics.' will cause unexpected "
                             "behavior. Please use another prefix instead."));
    EXPECT_TRUE(log.contains("Analytics: Sending signal with reserved name 'type' will cause unexpected behavior. "
                             "Please use another name instead."));
    EXPECT_TRUE(log.contains("Analytics: Sending parameter with reserved key prefix 'Analytics.' will cause "
                             "unexpected behavior. Please use another prefix instead."));
    EXPECT_TRUE(log.contains("Analytics: Sending parameter with reserved key 'platform' will cause unexpected "
                             "behavior. Please use another key instead."));
    EXPECT_EQ(client->signalManager().cache().count(), 2u) << "warned about, still sent";

    log.clear();
    auto config = configuration();
    config.reservedParameterWarningsEnabled = false;
    auto quiet = start(std::move(config));
    quiet->signal("type", {{"platform", "x"}}, std::nullopt, std::nullopt);
    runtime.runUntilIdle();
    for (const auto& line : log.lines())
        EXPECT_EQ(line.find("reserved"), std::string::npos) << line;
}

TEST_F(SignalRecordTest, LogLinesHonourTheHandlersLevelAndTheDebugSwitchAndTheClientsOwnSignalIsNotWarnedAbout) {
    std::mutex mutex;
    std::vector<std::pair<LogLevel, std::string>> seen;
    auto collect = [&](LogLevel level, const std::string& message) {
        std::lock_guard lock(mutex);
        seen.emplace_back(level, message);
    };
    auto config = configuration();
    config.showDebugLogs = true;
    config.logHandler = LogHandler{LogLevel::debug, collect};
    config.sendNewSessionBeganSignal = true;
    server.respondWith(500);
    auto client = start(std::move(config));
    runtime.advance(10s);
    ASSERT_FALSE(batches().empty());
    EXPECT_EQ(types(batches()[0]), std::vector<std::string>{"Analytics.Session.started"});
    auto has = [&](LogLevel level, const std::string& prefix) {
        return std::any_of(seen.begin(), seen.end(),
                           [&](const auto& entry) { return entry.first == level && entry.second.starts_with(prefix); });
    };
    EXPECT_TRUE(has(LogLevel::debug, "Process signal: {"));
    EXPECT_TRUE(has(LogLevel::error, "Failed to send signals: Invalid status code 500"));
    for (const auto& [level, line] : seen)
        EXPECT_EQ(line.find("reserved"), std::string::npos) << line;

    seen.clear();
    AnalyticsLogger(LogHandler{LogLevel::error, collect}, true).info("below the handler's level");
    AnalyticsLogger(LogHandler{LogLevel::debug, collect}, false).debug("debug lines not asked for");
    EXPECT_TRUE(seen.empty());
}

TEST_F(SignalRecordTest, SessionStatisticsCountSessionsDaysAndDurations) {
    SessionStatistics stats(preferences, QTimeZone::utc());
    WallTime monday = VirtualRuntime::wallEpoch();
    stats.sessionBegan(monday);
    stats.sessionEnded(monday + 100s);
    stats.sessionBegan(monday + 2h);
    stats.sessionEnded(monday + 2h + 300s);
    stats.sessionBegan(monday + 24h * 3);
    auto p = stats.parameters(monday + 24h * 3);
    EXPECT_EQ(p["Analytics.Acquisition.firstSessionDate"], "2026-01-05");
    EXPECT_EQ(p["Analytics.Retention.totalSessionsCount"], "3");
    EXPECT_EQ(p["Analytics.Retention.distinctDaysUsed"], "2");
    EXPECT_EQ(p["Analytics.Retention.distinctDaysUsedLastMonth"], "2");
    EXPECT_EQ(p["Analytics.Retention.averageSessionSeconds"], "200");
    EXPECT_EQ(p["Analytics.Retention.previousSessionSeconds"], "300");
    EXPECT_EQ(stats.parameters(monday + 24h * 40)["Analytics.Retention.distinctDaysUsedLastMonth"], "0");

    auto config = configuration();
    config.sessionStatsEnabled = true;
    auto client = start(std::move(config));
    sendSignals(*client, 1);
    EXPECT_EQ(onlyRecord(*client).payload.at("Analytics.Retention.totalSessionsCount"), "4");
}

} // namespace
