#include "SignalClientHarness.h"

#include "analytics/EnrichmentParameters.h"
#include "analytics/SessionStatistics.h"

#include <gtest/gtest.h>

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

TEST_F(SignalRecordTest, TheRequestBodyCarriesTheRecordKeysTheEnrichmentTheDefaultsAndTheCallersParameters) {
    screen->update({2560, 1440, 2.0, "Dark", true, false});
    auto config = configuration();
    config.defaultParameters = [] { return SignalParameters{{"channel", "direct"}, {"appVersion", "from defaults"}}; };
    config.metadataEnrichers.push_back([](const std::string& type, const std::string& user, std::optional<double>) {
        return SignalParameters{{"enrichedType", type}, {"userLength", std::to_string(user.size())}};
    });
    config.defaultSignalPrefix = "Quenby.";
    config.defaultParameterPrefix = "p.";
    auto client = start(std::move(config));
    client->signal("toggle", {{"action", "activate"}, {"channel", "menu"}}, 4.5, std::nullopt);
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

    const QJsonObject& toggle = byType["Quenby.toggle"];
    EXPECT_EQ(toggle.keys(), (QStringList{"appID", "clientUser", "floatValue", "isTestMode", "payload", "receivedAt",
                                          "sessionID", "type"}));
    EXPECT_EQ(toggle.value("floatValue").toDouble(), 4.5);
    EXPECT_EQ(toggle.value("appID").toString(), appID);
    EXPECT_EQ(toggle.value("isTestMode").toString(), "false");
    EXPECT_EQ(toggle.value("receivedAt").toString(), "2026-01-05T09:00:00.000Z");
    EXPECT_EQ(toggle.value("sessionID").toString(),
              client->configuration().sessionID.toString(QUuid::WithoutBraces).toUpper());
    EXPECT_FALSE(byType["Quenby.appLaunched"].contains("floatValue"));
    EXPECT_FALSE(byType["Quenby.odd"].contains("floatValue")) << "JSON has no NaN";

    SignalClientServices debug = services();
    debug.environment->isDebug = true;
    auto debugClient = SignalClient::initialize(configuration(), debug);
    debugClient->signal("toggle", {}, std::nullopt, std::nullopt);
    runtime.runUntilIdle();
    EXPECT_TRUE(onlyRecord(*debugClient).isTestMode) << "debug builds test";

    const SignalParameters p = SignalPostBody::fromJson(toggle).value().payload;
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

TEST_F(SignalRecordTest, TheClientUserIsTheSaltedHashOfAStableIdentifier) {
    EXPECT_EQ(UserIdentifier::clientUser("ab", "c"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // Each call is a new run of the application with an empty cache.
    auto userOf = [&](AnalyticsConfiguration config, std::optional<std::string> named = std::nullopt) {
        fileSystem.setFile(cachePath, "[]");
        auto client = start(std::move(config));
        client->signal("event", {}, std::nullopt, named);
        runtime.runUntilIdle();
        return onlyRecord(*client).clientUser;
    };
    const std::string first = userOf(configuration());
    auto stored = preferences.stringValue("defaultUserIdentifier");
    ASSERT_TRUE(stored);
    EXPECT_EQ(first, UserIdentifier::clientUser(*stored, ""));
    EXPECT_EQ(userOf(configuration()), first) << "the same user after a restart";

    auto salted = configuration();
    salted.salt = "pepper";
    EXPECT_EQ(userOf(salted), UserIdentifier::clientUser(*stored, "pepper"));
    // A user named by the signal, then by the configuration, comes before the stored identifier.
    EXPECT_EQ(userOf(salted, "someone"), UserIdentifier::clientUser("someone", "pepper"));
    auto team = configuration();
    team.defaultUser = "team-account";
    EXPECT_EQ(userOf(team), UserIdentifier::clientUser("team-account", ""));
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
    for (const std::string what :
         {"signal with reserved prefix 'Analytics.'", "signal with reserved name 'type'",
          "parameter with reserved key prefix 'Analytics.'", "parameter with reserved key 'platform'"})
        EXPECT_TRUE(std::ranges::any_of(log.lines(), [&](const std::string& line) {
            return line.starts_with("Analytics: Sending " + what +
                                    " will cause unexpected behavior. Please use another ");
        })) << what;
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
    server->status = 500;
    auto client = start(std::move(config));
    runtime.advance(10s);
    ASSERT_FALSE(batches().empty());
    EXPECT_EQ(types(batches()[0]), std::vector<std::string>{"Analytics.Session.started"});
    auto has = [&](LogLevel level, const std::string& prefix) {
        return std::ranges::any_of(seen,
                                   [&](const auto& e) { return e.first == level && e.second.starts_with(prefix); });
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

class SignalDeliveryTest : public ::testing::Test, public SignalClientHarness {};

TEST_F(SignalDeliveryTest, SendsPendingSignalsInBatchesOfAHundredOnePerTickToTheNamespacesURL) {
    auto config = configuration();
    config.namespace_ = "tallowmere.mac";
    auto client = start(std::move(config));
    sendSignals(*client, 150);
    EXPECT_TRUE(server->sent.empty()) << "nothing leaves before the timer ticks";

    runtime.advance(10s);
    ASSERT_EQ(server->sent.size(), 1u);
    runtime.advance(10s);
    ASSERT_EQ(server->sent.size(), 2u);
    runtime.advance(30s);
    EXPECT_EQ(server->sent.size(), 2u);

    // The order within and across batches is the cache's (SignalCacheTest).
    auto sent = batches();
    EXPECT_EQ(sent[0].size(), 100u);
    EXPECT_EQ(types(sent[1]).back(), "event149");
    EXPECT_EQ(client->signalManager().cache().count(), 0u);
    EXPECT_TRUE(log.contains("Analytics: Sending 100 signals leaving a cache of 50 signals"));
    const HttpRequest second = server->sent[1];
    EXPECT_EQ(second.method + " " + second.url, "POST https://ingest.example.org/v2/namespace/tallowmere.mac/");
    EXPECT_EQ(second.headers, (std::vector<std::pair<std::string, std::string>>{{"Content-Type", "application/json"}}));
}

TEST_F(SignalDeliveryTest, RefusedBatchesAreLoggedKeptAndSentAgainExactlyOnceWhenAccepted) {
    const std::vector<std::pair<int, std::string>> cases = {
        {401, "Unauthorized (401)"},      {403, "Forbidden (403)"},         {413, "Payload is too large (413)"},
        {404, "Invalid status code 404"}, {500, "Invalid status code 500"}, {302, "Invalid status code 302"},
        {-1, "Connection refused"}};
    auto client = start();
    sendSignals(*client, 2);
    for (const auto& [code, description] : cases) {
        server->status = code;
        runtime.advance(10s);
        EXPECT_TRUE(log.contains("Analytics: Failed to send signals: " + description)) << code;
        EXPECT_EQ(client->signalManager().cache().count(), 2u) << code;
    }
    EXPECT_EQ(server->sent.size(), cases.size());
    EXPECT_FALSE(AnalyticsError::fromStatusCode(299));
    EXPECT_EQ(AnalyticsError::fromStatusCode(0), AnalyticsError::invalidStatusCode(0)) << "not an HTTP answer";

    // A signal arriving meanwhile queues behind the batch that failed.
    sendSignals(*client, 1, 2);
    server->status = 200;
    runtime.advance(30s);
    auto sent = batches();
    ASSERT_EQ(sent.size(), cases.size() + 1);
    EXPECT_EQ(types(sent.back()), (std::vector<std::string>{"event0", "event1", "event2"}));
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(sent.back()[i], sent[0][i]) << "the retried record is the same record";
    EXPECT_EQ(client->signalManager().cache().count(), 0u);
}

TEST_F(SignalDeliveryTest, TheURLIsBuiltFromTheBaseAndTheNamespaceAsOneSegment) {
    auto urlFor = [&](const char* base, std::optional<std::string> space) {
        auto config = configuration();
        config.apiBaseURL = QUrl(base);
        config.namespace_ = std::move(space);
        auto client = SignalClient::initialize(std::move(config), services());
        auto url = client->signalManager().signalURL();
        return url ? url->toString(QUrl::FullyEncoded).toStdString() : std::string("none");
    };
    EXPECT_EQ(urlFor("https://ingest.example.org", std::nullopt), "https://ingest.example.org/v2/");
    EXPECT_EQ(urlFor("https://ingest.example.org/base/", ""), "https://ingest.example.org/v2/");
    EXPECT_EQ(urlFor("https://ingest.example.org", "team"), "https://ingest.example.org/v2/namespace/team/");
    EXPECT_EQ(urlFor("https://ingest.example.org", "a b/../c?d#e"),
              "https://ingest.example.org/v2/namespace/a%20b%2F..%2Fc%3Fd%23e/");
    EXPECT_EQ(urlFor("https://ingest.example.org", ".."), "none");
    EXPECT_EQ(urlFor("not a url", std::nullopt), "none");
    EXPECT_EQ(urlFor("", std::nullopt), "none");

    auto config = configuration();
    config.apiBaseURL = QUrl("relative/path");
    auto client = start(std::move(config));
    sendSignals(*client, 2);
    runtime.advance(10s);
    EXPECT_EQ(client->signalManager().cache().count(), 2u);
    EXPECT_TRUE(server->sent.empty());
    EXPECT_TRUE(log.contains("Analytics: Unable to construct signal API URL for namespace"));
    EXPECT_TRUE(log.contains("Analytics: Failed to send signals: Invalid endpoint URL"));
}

} // namespace
