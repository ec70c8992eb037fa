#include "SignalClientHarness.h"

#include <gtest/gtest.h>

#include <set>

using namespace std::chrono_literals;
using namespace tallowmere;
using namespace tallowmere::test;

namespace {

class SignalDeliveryTest : public ::testing::Test, public SignalClientHarness {};

TEST_F(SignalDeliveryTest, SendsPendingSignalsInBatchesOfAHundredOnePerTick) {
    auto client = start();
    sendSignals(*client, 150);
    EXPECT_TRUE(server.requests().empty()) << "nothing leaves before the timer ticks";

    runtime.advance(10s);
    ASSERT_EQ(server.requests().size(), 1u);
    runtime.advance(10s);
    ASSERT_EQ(server.requests().size(), 2u);
    runtime.advance(30s);
    EXPECT_EQ(server.requests().size(), 2u);

    auto sent = batches();
    ASSERT_EQ(sent[0].size(), 100u);
    ASSERT_EQ(sent[1].size(), 50u);
    std::vector<std::string> order = types(sent[0]);
    auto rest = types(sent[1]);
    order.insert(order.end(), rest.begin(), rest.end());
    for (int i = 0; i < 150; ++i)
        EXPECT_EQ(order[i], "event" + std::to_string(i));
    EXPECT_EQ(client->signalManager().cache().count(), 0u);
    EXPECT_TRUE(log.contains("Analytics: Sending 100 signals leaving a cache of 50 signals"));

    for (const auto& request : server.requests()) {
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.path, "/v2/");
        EXPECT_EQ(request.headers.at("content-type"), "application/json");
    }
}

TEST_F(SignalDeliveryTest, RefusedBatchesAreLoggedKeptAndSentAgainExactlyOnceWhenAccepted) {
    const std::vector<std::pair<int, std::string>> cases = {
        {401, "Unauthorized (401)"},      {403, "Forbidden (403)"},         {413, "Payload is too large (413)"},
        {404, "Invalid status code 404"}, {500, "Invalid status code 500"}, {302, "Invalid status code 302"}};
    auto client = start();
    sendSignals(*client, 2);
    for (const auto& [code, description] : cases) {
        server.respondWith(code);
        runtime.advance(10s);
        EXPECT_TRUE(log.contains("Analytics: Failed to send signals: " + description)) << code;
        EXPECT_EQ(client->signalManager().cache().count(), 2u) << code;
    }
    EXPECT_EQ(server.requests().size(), cases.size());
    EXPECT_FALSE(AnalyticsError::fromStatusCode(299));
    EXPECT_EQ(AnalyticsError::fromStatusCode(0), AnalyticsError::invalidStatusCode(0)) << "not an HTTP answer";

    // A signal arriving meanwhile queues behind the batch that failed.
    sendSignals(*client, 1, 2);
    server.respondWith(200);
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
        config.urlSession = nullptr; // these hosts are never contacted
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
    config.namespace_ = "tallowmere.mac";
    auto client = start(std::move(config));
    sendSignals(*client, 1);
    runtime.advance(10s);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].path, "/v2/namespace/tallowmere.mac/");
}

TEST_F(SignalDeliveryTest, WithoutAReachableEndpointTheSignalsAreKept) {
    std::string closedURL;
    {
        LoopbackHttpServer gone;
        closedURL = gone.baseURL();
    }
    for (const std::string& base : {std::string("relative/path"), closedURL}) {
        fileSystem.setFile(cachePath, "[]");
        auto config = configuration();
        config.apiBaseURL = QUrl(QString::fromStdString(base));
        auto client = start(std::move(config));
        sendSignals(*client, 2);
        runtime.advance(10s);
        EXPECT_EQ(client->signalManager().cache().count(), 2u) << base;
    }
    EXPECT_TRUE(log.contains("Analytics: Unable to construct signal API URL for namespace"));
    EXPECT_TRUE(log.contains("Analytics: Failed to send signals: Invalid endpoint URL"));
    auto lines = log.lines();
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(),
                      [](const std::string& line) { return line.starts_with("Analytics: Failed to send signals: "); }),
        2);
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(SignalDeliveryTest, ASwitchedOffClientOrADebugBuildNotMeantToSendSendsNothingNotEvenEarlierSignals) {
    fileSystem.setFile(cachePath, "[]");
    server.respondWith(500);
    {
        auto earlier = start();
        sendSignals(*earlier, 1);
        runtime.advance(10s);
        earlier->appWillTerminate();
    }
    EnvironmentFacts debugFacts = facts();
    debugFacts.isDebug = true;
    auto switchedOff = configuration();
    switchedOff.analyticsDisabled = true;
    auto debugRefused = configuration();
    debugRefused.sendSignalsInDebugConfiguration = false;
    auto debugAllowed = configuration();
    for (auto [config, environment] :
         {std::pair{switchedOff, facts()}, std::pair{debugRefused, debugFacts}, std::pair{debugAllowed, debugFacts}}) {
        SignalClientServices withFacts = services();
        withFacts.environment = environment;
        auto client = SignalClient::initialize(config, withFacts);
        sendSignals(*client, 1);
        runtime.advance(20s);
        bool sends = environment.isDebug && config.sendSignalsInDebugConfiguration;
        auto pending = client->signalManager().cache().pendingSignals();
        EXPECT_EQ(pending.size(), sends ? 2u : 1u) << "only what an earlier run left";
        EXPECT_EQ(server.requests().size(), sends ? 4u : 1u) << "not even signals cached earlier leave";
        if (sends) {
            EXPECT_TRUE(pending.back().isTestMode) << "debug builds test";
        }
    }
}

} // namespace
