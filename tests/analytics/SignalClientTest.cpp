#include "SignalClientHarness.h"

#include "analytics/EnrichmentParameters.h"
#include "analytics/SessionStatistics.h"
#include "analytics/SignalCache.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

using namespace std::chrono_literals;
using namespace tallowmere;
using namespace tallowmere::test;

namespace {

SignalPostBody record(int index) {
    return {WallTime(std::chrono::milliseconds(1767603600000 + index)),
            "APP",
            "user",
            "SESSION",
            "event" + std::to_string(index),
            std::nullopt,
            {{"index", std::to_string(index)}},
            false};
}

std::vector<std::string> typesOf(const std::vector<SignalPostBody>& records) {
    std::vector<std::string> types;
    for (const auto& r : records)
        types.push_back(r.type);
    return types;
}

class SignalClientTest : public ::testing::Test, public SignalClientHarness {
protected:
    SignalPostBody onlyRecord(SignalClient& client) {
        auto records = client.signalManager().cache().pendingSignals();
        EXPECT_EQ(records.size(), 1u);
        return records.empty() ? SignalPostBody{} : records.front();
    }

    const std::string path = cachePath;
    AnalyticsLogger logger{LogHandler::standard(LogLevel::debug), true};
};
using SignalCacheTest = SignalClientTest;
using SignalRecordTest = SignalClientTest;
using SignalDeliveryTest = SignalClientTest;

TEST_F(SignalCacheTest, PopsAtMostAHundredTakesAFailedBatchBackToTheFrontAndKeepsItOnDiskUntilDelivered) {
    SignalCache cache(fileSystem, path, logger);
    for (int i = 0; i < 150; ++i)
        cache.push(record(i));
    SignalBatch first = cache.pop();
    ASSERT_EQ(first.records.size(), 100u);
    EXPECT_EQ(cache.count(), 50u);

    cache.push(record(150));
    cache.pushBack(first);
    cache.pushBack(first); // a second return of the same batch must not duplicate it
    auto pending = typesOf(cache.pendingSignals());
    ASSERT_EQ(pending.size(), 151u);
    for (int i = 0; i <= 150; ++i)
        EXPECT_EQ(pending[i], "event" + std::to_string(i));

    SignalBatch again = cache.pop();
    cache.push(record(151));
    auto onDisk = [&] { return typesOf(*decodeSignals(QByteArray::fromStdString(fileSystem.file(path).value()))); };
    EXPECT_EQ(onDisk().size(), 152u) << "a batch in flight stays in the file";
    cache.markDelivered(again);
    cache.pushBack(again); // too late: it was delivered
    EXPECT_EQ(onDisk(), typesOf(cache.pendingSignals()));
    EXPECT_EQ(cache.pop().records.size(), 52u);
    EXPECT_TRUE(cache.pop().empty());
}

TEST_F(SignalCacheTest, SavesAndLoadsEveryRecordUnchangedAndAFailedSaveKeepsThePreviousFile) {
    auto first = record(1);
    first.floatValue = 2.5;
    first.isTestMode = true;
    SignalCache cache(fileSystem, path, logger);
    cache.push(first);
    cache.push(record(2));
    EXPECT_TRUE(cache.backupCache());
    SignalCache reloaded(fileSystem, path, logger);
    EXPECT_EQ(reloaded.pendingSignals(), (std::vector<SignalPostBody>{first, record(2)}));

    std::string before = *fileSystem.file(path);
    fileSystem.failWrites = true;
    reloaded.push(record(3));
    EXPECT_FALSE(reloaded.backupCache());
    EXPECT_EQ(*fileSystem.file(path), before);
}

TEST_F(SignalCacheTest, AnUnreadableFileIsMovedAsideAndTheCacheStartsWithWhatCouldBeRead) {
    SignalCache source(fileSystem, path, logger);
    for (int i = 0; i < 3; ++i)
        source.push(record(i));
    std::string valid = *fileSystem.file(path);
    const std::string partlyBad = "[1, {\"type\": 2}, " + valid.substr(1);
    // Times no clock of ours can hold (the year 1013).
    const std::string ancient =
        QString::fromStdString(valid).replace(QRegularExpression("(?<=\"receivedAt\":\")\\d{4}"), "1013").toStdString();

    for (std::string contents :
         {valid.substr(0, valid.size() / 2), std::string("\x00\xff garbage", 10), std::string("{}"),
          std::string(5000, '[') + std::string(5000, ']'), std::string(), partlyBad, ancient}) {
        FakeCacheFileSystem disk;
        disk.setFile(path, contents);
        log.clear();
        SignalCache cache(disk, path, logger);
        cache.push(record(9)); // saved at once: it must not take the place of what could not be read
        std::vector<std::string> paths = disk.paths();
        ASSERT_EQ(paths.size(), 2u) << contents;
        EXPECT_TRUE(paths[1].starts_with(path + ".corrupt-"));
        EXPECT_EQ(disk.file(paths[1]), contents);
        auto moved = [&](const std::string& line) {
            return line.find("moved the file to " + paths[1]) != std::string::npos;
        };
        EXPECT_EQ(std::ranges::count_if(log.lines(), moved), 1);
        EXPECT_EQ(typesOf(cache.pendingSignals()),
                  contents == partlyBad ? (std::vector<std::string>{"event0", "event1", "event2", "event9"})
                                        : std::vector<std::string>{"event9"});
    }
}

TEST_F(SignalCacheTest, WithoutACachesFolderConcurrentWritersLoseNothingInMemory) {
    SignalCache cache(fileSystem, std::nullopt, logger);
    std::atomic<std::size_t> delivered{0};
    {
        auto work = [&](int thread) {
            for (int i = 0; i < 250; ++i) {
                cache.push(record(thread * 1000 + i));
                if (i % 10)
                    continue;
                SignalBatch batch = cache.pop();
                delivered += i % 20 ? 0 : batch.records.size();
                i % 20 ? cache.pushBack(batch) : cache.markDelivered(batch);
            }
        };
        std::thread threads[] = {std::thread(work, 0), std::thread(work, 1), std::thread(work, 2),
                                 std::thread(work, 3)};
        for (std::thread& thread : threads)
            thread.join();
    }
    EXPECT_EQ(cache.count() + delivered, 1000u);
    EXPECT_TRUE(fileSystem.paths().empty());
    EXPECT_FALSE(cache.backupCache());
}

// What one run leaves behind, the next one sends at once, and only once.
TEST_F(SignalCacheTest, SignalsSurviveARestartAndAreSentOnceButNeverByAClientNotMeantToSend) {
    server->status = 500;
    {
        auto client = start();
        sendSignals(*client, 5);
        runtime.advance(10s); // one failed attempt in between
        center.post("NSApplicationWillTerminateNotification");
    }
    EXPECT_TRUE(log.contains("Analytics: Saved Analytics cache"));
    runtime.runUntilIdle();
    EXPECT_EQ(center.observerCount("NSApplicationWillTerminateNotification"), 0)
        << "a client that is gone stops listening";

    // Switched off, or a debug build not meant to send: not even the signals of an earlier run leave.
    for (auto notMeantToSend : {+[](AnalyticsConfiguration& c) { c.analyticsDisabled = true; },
                                +[](AnalyticsConfiguration& c) { c.sendSignalsInDebugConfiguration = false; }}) {
        auto client = start(notMeantToSend, true);
        sendSignals(*client, 1);
        runtime.advance(20s);
        EXPECT_EQ(client->signalManager().cache().count(), 5u);
    }

    server->status = 200;
    auto client = start();
    EXPECT_TRUE(log.contains("Analytics: Loaded 5 signals"));
    ASSERT_EQ(server->sent.size(), 2u) << "the first attempt does not wait for the timer";
    EXPECT_EQ(types(batches()[1]), (std::vector<std::string>{"event0", "event1", "event2", "event3", "event4"}));
    runtime.advance(30s);
    EXPECT_EQ(server->sent.size(), 2u) << "nothing is sent twice";
}

TEST_F(SignalRecordTest, TheRequestBodyCarriesTheRecordKeysTheEnrichmentTheDefaultsAndTheCallersParameters) {
    screen->update({2560, 1440, 2.0, "Dark", true, false});
    auto client = start([](AnalyticsConfiguration& c) {
        c.defaultParameters = [] { return SignalParameters{{"channel", "direct"}, {"appVersion", "from defaults"}}; };
        c.metadataEnrichers.push_back([](const std::string& type, const std::string& user, std::optional<double>) {
            return SignalParameters{{"enrichedType", type}, {"userLength", std::to_string(user.size())}};
        });
        c.defaultSignalPrefix = "Quenby.";
        c.defaultParameterPrefix = "p.";
    });
    client->signal("toggle", {{"action", "activate"}, {"channel", "menu"}}, 4.5, std::nullopt);
    client->signal("appLaunched", {}, std::nullopt, std::nullopt);
    client->signal("odd", {}, std::numeric_limits<double>::quiet_NaN(), std::nullopt);
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

    auto debugClient = start({}, true);
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
    using Configure = std::function<void(AnalyticsConfiguration&)>;
    auto userOf = [&](const Configure& configure, std::optional<std::string> named = std::nullopt) {
        fileSystem.setFile(cachePath, "[]");
        auto client = start(configure);
        client->signal("event", {}, std::nullopt, named);
        runtime.runUntilIdle();
        return onlyRecord(*client).clientUser;
    };
    const std::string first = userOf({});
    auto stored = preferences.stringValue("defaultUserIdentifier");
    ASSERT_TRUE(stored);
    EXPECT_EQ(first, UserIdentifier::clientUser(*stored, ""));
    EXPECT_EQ(userOf({}), first) << "the same user after a restart";

    const Configure salted = [](AnalyticsConfiguration& c) { c.salt = "pepper"; };
    EXPECT_EQ(userOf(salted), UserIdentifier::clientUser(*stored, "pepper"));
    // A user named by the signal, then by the configuration, comes before the stored identifier.
    EXPECT_EQ(userOf(salted, "someone"), UserIdentifier::clientUser("someone", "pepper"));
    EXPECT_EQ(userOf([](AnalyticsConfiguration& c) { c.defaultUser = "team-account"; }),
              UserIdentifier::clientUser("team-account", ""));
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
    std::string calendar;
    for (const char* key : {"dayOfWeek", "isWeekend", "dayOfYear", "weekOfYear", "quarterOfYear", "hourOfDay"})
        calendar += p["Analytics.Calendar." + std::string(key)] + " ";
    EXPECT_EQ(calendar, "1 false 5 2 1 9 ");

    EnvironmentFacts auckland = facts();
    auckland.timeZone = QTimeZone("Pacific/Auckland");
    SignalParameters late = enrichmentParameters(auckland, ScreenMetrics{}, VirtualRuntime::wallEpoch() + 48h);
    EXPECT_EQ(late["Analytics.Device.timeZone"], "Pacific/Auckland");
    EXPECT_EQ(late["Analytics.Calendar.hourOfDay"], "22");
    EXPECT_EQ(late["Analytics.Calendar.dayOfMonth"], "7");

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
    auto quiet = start([](AnalyticsConfiguration& c) { c.reservedParameterWarningsEnabled = false; });
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
    server->status = 500;
    auto client = start([&](AnalyticsConfiguration& c) {
        c.showDebugLogs = true;
        c.logHandler = LogHandler{LogLevel::debug, collect};
        c.sendNewSessionBeganSignal = true;
    });
    runtime.advance(10s);
    EXPECT_EQ(types(batches().at(0)), std::vector<std::string>{"Analytics.Session.started"});
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

    auto client = start([](AnalyticsConfiguration& c) { c.sessionStatsEnabled = true; });
    sendSignals(*client, 1);
    EXPECT_EQ(onlyRecord(*client).payload.at("Analytics.Retention.totalSessionsCount"), "4");
}

TEST_F(SignalDeliveryTest, SendsPendingSignalsInBatchesOfAHundredOnePerTickToTheNamespacesURL) {
    auto client = start([](AnalyticsConfiguration& c) { c.namespace_ = "tallowmere.mac"; });
    sendSignals(*client, 150);

    for (std::size_t expected : {1, 2, 2, 2}) {
        runtime.advance(10s);
        ASSERT_EQ(server->sent.size(), expected);
    }

    auto sent = batches();
    EXPECT_EQ(sent[0].size(), 100u);
    EXPECT_EQ(types(sent[1]).back(), "event149");
    EXPECT_EQ(client->signalManager().cache().count(), 0u);
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
    EXPECT_FALSE(AnalyticsError::fromStatusCode(299));
    EXPECT_EQ(AnalyticsError::fromStatusCode(0), AnalyticsError::invalidStatusCode(0)) << "not an HTTP answer";

    // A signal arriving meanwhile queues behind the batch that failed.
    sendSignals(*client, 1, 2);
    server->status = 200;
    runtime.advance(30s);
    auto sent = batches();
    ASSERT_EQ(sent.size(), cases.size() + 1);
    EXPECT_EQ(types(sent.back()), (std::vector<std::string>{"event0", "event1", "event2"}));
    EXPECT_EQ(std::vector(sent.back().begin(), sent.back().begin() + 2), sent[0]) << "the same records again";
    EXPECT_EQ(client->signalManager().cache().count(), 0u);
}

TEST_F(SignalDeliveryTest, TheURLIsBuiltFromTheBaseAndTheNamespaceAsOneSegment) {
    auto urlFor = [&](const char* base, std::optional<std::string> space) {
        auto client = start([&](AnalyticsConfiguration& c) {
            c.apiBaseURL = QUrl(base);
            c.namespace_ = std::move(space);
        });
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

    auto client = start([](AnalyticsConfiguration& c) { c.apiBaseURL = QUrl("relative/path"); });
    sendSignals(*client, 2);
    runtime.advance(10s);
    EXPECT_EQ(client->signalManager().cache().count(), 2u);
    EXPECT_TRUE(server->sent.empty());
    EXPECT_EQ(std::ranges::count(log.lines(), "Analytics: Failed to send signals: Invalid endpoint URL"), 1);
}

} // namespace
