#include "analytics/Analytics.h"
#include "analytics/SignalClient.h"
#include "app/Preferences.h"
#include "support/FakeCacheFileSystem.h"
#include "support/FakeServices.h"
#include "support/LogCapture.h"
#include "support/MemoryPreferenceStore.h"
#include "support/RecordingHttpTransport.h"
#include "support/VirtualRuntime.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <gtest/gtest.h>

#include <set>

using namespace std::chrono_literals;
using namespace tallowmere;
using namespace tallowmere::test;

namespace {

constexpr const char* cacheFile = "/Users/quenby/Library/Caches/analyticssignalcache";

// The facade on the real signal client, configured the way the application does it; requests end in a recorder.
class AnalyticsOptOutTest : public ::testing::Test {
protected:
    ~AnalyticsOptOutTest() override { runtime.runUntilIdle(); }

    std::shared_ptr<SignalSender> makeClient() {
        AnalyticsConfiguration configuration(TALLOWMERE_ANALYTICS_APP_ID);
        configuration.urlSession = transport;
        configuration.sendSignalsInDebugConfiguration = true; // the sanitizer build is a debug build
        client = SignalClient::initialize(
            configuration,
            {runtime, clientPreferences, fileSystem, bundle, std::make_shared<ScreenMetricsProvider>(), nullptr, {}});
        return client;
    }

    // The records of every request, in order.
    std::vector<std::vector<QJsonObject>> batches() const {
        std::vector<std::vector<QJsonObject>> result;
        for (const HttpRequest& request : transport->requests()) {
            std::vector<QJsonObject> records;
            for (const QJsonValue& value : QJsonDocument::fromJson(QByteArray::fromStdString(request.body)).array())
                records.push_back(value.toObject());
            result.push_back(std::move(records));
        }
        return result;
    }
    static std::multiset<std::string> types(const std::vector<QJsonObject>& records) {
        std::multiset<std::string> names;
        for (const QJsonObject& record : records)
            names.insert(record.value("type").toString().toStdString());
        return names;
    }
    void trackEveryEvent() {
        analytics.track(AnalyticsEvent::appLaunched);
        analytics.track(AnalyticsEvent::firstLaunch);
        analytics.track(AnalyticsEvent::toggleKeepAwake, {{"mode", "timed"}, {"action", "activate"}});
        analytics.track(AnalyticsEvent::autoEjectPerformed, {{"drivesEjected", 2}});
        analytics.track(AnalyticsEvent::preferencesOpened);
    }

    LogCapture log;
    VirtualRuntime runtime;
    MemoryPreferenceStore preferences;       // the user's defaults, where the opt-out lives
    MemoryPreferenceStore clientPreferences; // the client's own store
    FakeCacheFileSystem fileSystem;
    FakeBundle bundle;
    std::shared_ptr<RecordingHttpTransport> transport = std::make_shared<RecordingHttpTransport>();
    std::shared_ptr<SignalClient> client;
    Analytics analytics{runtime, preferences, [this] { return makeClient(); }};
};

TEST_F(AnalyticsOptOutTest, OptedOutNothingReachesTheServiceOrTheCacheNotEvenTheLaunch) {
    preferences.setBool(PreferenceKey::analyticsEnabled, false);
    trackEveryEvent();
    runtime.advance(60s); // six ticks of the send timer

    EXPECT_TRUE(transport->requests().empty());
    EXPECT_EQ(client->signalManager().cache().count(), 0u);
    client->appWillTerminate();
    auto saved = fileSystem.file(cacheFile);
    ASSERT_TRUE(saved.has_value()) << "the save at termination still runs";
    auto records = decodeSignals(QByteArray::fromStdString(*saved));
    ASSERT_TRUE(records.has_value()) << *saved;
    EXPECT_TRUE(records->empty()) << *saved;
    EXPECT_FALSE(clientPreferences.hasObject("defaultUserIdentifier")) << "no record was ever built";
}

TEST_F(AnalyticsOptOutTest, EventsFlowWhileTheKeyIsAbsentStopWhenItIsFalseAndResumeWhenTrue) {
    ASSERT_FALSE(preferences.hasObject(PreferenceKey::analyticsEnabled));
    analytics.track(AnalyticsEvent::appLaunched);
    analytics.track(AnalyticsEvent::autoEjectPerformed, {{"drivesEjected", 3}});
    runtime.advance(10s);
    auto sent = batches();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(types(sent[0]), (std::multiset<std::string>{"appLaunched", "autoEjectPerformed"}));
    for (const QJsonObject& record : sent[0]) {
        EXPECT_EQ(record.value("appID").toString(), TALLOWMERE_ANALYTICS_APP_ID);
        if (record.value("type") == "autoEjectPerformed") {
            EXPECT_EQ(record.value("payload").toObject().value("drivesEjected").toString(), "3");
        }
    }
    HttpRequest request = transport->requests()[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(QUrl(QString::fromStdString(request.url)).path(), "/v2/");

    preferences.setBool(PreferenceKey::analyticsEnabled, false);
    trackEveryEvent();
    runtime.advance(30s);
    EXPECT_EQ(transport->requests().size(), 1u);
    EXPECT_EQ(client->signalManager().cache().count(), 0u);

    preferences.setBool(PreferenceKey::analyticsEnabled, true);
    analytics.track(AnalyticsEvent::firstLaunch);
    runtime.advance(10s);
    sent = batches();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(types(sent[1]), (std::multiset<std::string>{"firstLaunch"}));
}

} // namespace
