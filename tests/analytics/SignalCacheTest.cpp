#include "SignalClientHarness.h"

#include "analytics/SignalCache.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using namespace tallowmere;
using namespace tallowmere::test;

namespace {

SignalPostBody record(int index) {
    SignalPostBody body;
    body.receivedAt = WallTime(std::chrono::milliseconds(1767603600000 + index));
    body.appID = "APP";
    body.clientUser = "user";
    body.sessionID = "SESSION";
    body.type = "event" + std::to_string(index);
    body.payload = {{"index", std::to_string(index)}};
    return body;
}

std::vector<std::string> typesOf(const std::vector<SignalPostBody>& records) {
    std::vector<std::string> types;
    for (const auto& r : records)
        types.push_back(r.type);
    return types;
}

class SignalCacheTest : public ::testing::Test {
protected:
    std::string path = SignalClientHarness::cachePath;
    LogCapture log;
    AnalyticsLogger logger{LogHandler::standard(LogLevel::debug), true};
    FakeCacheFileSystem files;
};

TEST_F(SignalCacheTest, PopsAtMostAHundredAndTakesAFailedBatchBackToTheFront) {
    SignalCache cache(files, path, logger);
    for (int i = 0; i < 150; ++i)
        cache.push(record(i));
    SignalBatch first = cache.pop();
    ASSERT_EQ(first.records.size(), 100u);
    EXPECT_EQ(first.records.front().type, "event0");
    EXPECT_EQ(cache.count(), 50u);

    cache.push(record(150));
    cache.pushBack(first);
    cache.pushBack(first); // a second return of the same batch must not duplicate it
    EXPECT_EQ(cache.count(), 151u);
    auto pending = typesOf(cache.pendingSignals());
    for (int i = 0; i <= 150; ++i)
        EXPECT_EQ(pending[i], "event" + std::to_string(i));

    SignalBatch again = cache.pop();
    cache.markDelivered(again);
    cache.pushBack(again); // too late: it was delivered
    EXPECT_EQ(cache.count(), 51u);
    EXPECT_TRUE(cache.pop().records.size() == 51u);
    EXPECT_TRUE(cache.pop().empty());
}

TEST_F(SignalCacheTest, SavesAndLoadsEveryRecordUnchanged) {
    {
        SignalCache cache(files, path, logger);
        auto first = record(1);
        first.floatValue = 2.5;
        first.isTestMode = true;
        cache.push(first);
        cache.push(record(2));
        EXPECT_TRUE(cache.backupCache());
    }
    EXPECT_TRUE(log.contains("Analytics: Saved Analytics cache"));
    SignalCache reloaded(files, path, logger);
    EXPECT_TRUE(log.contains("Analytics: Loading Analytics cache from: " + path));
    EXPECT_TRUE(log.contains("Analytics: Loaded 2 signals"));
    auto records = reloaded.pendingSignals();
    ASSERT_EQ(records.size(), 2u);
    auto expected = record(1);
    expected.floatValue = 2.5;
    expected.isTestMode = true;
    EXPECT_EQ(records[0], expected);
    EXPECT_EQ(records[1], record(2));
}

TEST_F(SignalCacheTest, ACorruptOrTruncatedFileLeavesTheCacheEmpty) {
    SignalCache source(files, path, logger);
    for (int i = 0; i < 3; ++i)
        source.push(record(i));
    std::string valid = *files.file(path);

    for (std::string contents :
         {valid.substr(0, valid.size() / 2), valid.substr(0, valid.size() - 1), std::string("\x00\xff garbage", 10),
          std::string("{\"not\":\"a list\"}"), std::string()}) {
        files.setFile(path, contents);
        SignalCache cache(files, path, logger);
        EXPECT_EQ(cache.count(), 0u) << contents;
    }
    files.setFile(path, "[1, {\"type\": 2}, " + valid.substr(1));
    SignalCache partly(files, path, logger);
    EXPECT_EQ(typesOf(partly.pendingSignals()), (std::vector<std::string>{"event0", "event1", "event2"}))
        << "readable records of a damaged list are kept";
}

TEST_F(SignalCacheTest, AFailedSaveKeepsThePreviousFile) {
    SignalCache cache(files, path, logger);
    cache.push(record(1));
    std::string before = *files.file(path);
    files.failWrites(true);
    cache.push(record(2));
    EXPECT_FALSE(cache.backupCache());
    EXPECT_TRUE(log.contains("Analytics: Error saving Analytics cache"));
    EXPECT_EQ(*files.file(path), before);
}

TEST_F(SignalCacheTest, WithoutACachesFolderTheCacheLivesInMemory) {
    SignalCache cache(files, std::nullopt, logger);
    cache.push(record(1));
    EXPECT_EQ(cache.count(), 1u);
    EXPECT_EQ(files.writeCount(), 0);
    EXPECT_FALSE(cache.backupCache());
}

TEST_F(SignalCacheTest, TheFileHoldsBatchesInFlightUntilTheyAreDelivered) {
    SignalCache cache(files, path, logger);
    for (int i = 0; i < 3; ++i)
        cache.push(record(i));
    SignalBatch batch = cache.pop();
    cache.push(record(3));
    auto onDisk = decodeSignals(QByteArray::fromStdString(*files.file(path)));
    EXPECT_EQ(typesOf(*onDisk), (std::vector<std::string>{"event0", "event1", "event2", "event3"}));
    cache.markDelivered(batch);
    onDisk = decodeSignals(QByteArray::fromStdString(*files.file(path)));
    EXPECT_EQ(typesOf(*onDisk), (std::vector<std::string>{"event3"}));
}

TEST_F(SignalCacheTest, ConcurrentWritersLoseNothing) {
    SignalCache cache(files, std::nullopt, logger);
    std::vector<std::thread> threads;
    std::atomic<int> delivered{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 250; ++i) {
                cache.push(record(t * 1000 + i));
                if (i % 10 == 0) {
                    SignalBatch batch = cache.pop();
                    if (i % 20 == 0) {
                        delivered += static_cast<int>(batch.records.size());
                        cache.markDelivered(batch);
                    } else {
                        cache.pushBack(batch);
                    }
                }
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(cache.count() + static_cast<std::size_t>(delivered), 1000u);
}

// The client across restarts: what one run leaves behind, the next one sends once.
class SignalCacheRestartTest : public ::testing::Test, public SignalClientHarness {};

TEST_F(SignalCacheRestartTest, SignalsSurviveARestartAndAreSentOnce) {
    server.respondWith(500);
    {
        auto client = start();
        sendSignals(*client, 5);
        runtime.advance(10s); // one failed attempt in between
        client->appWillTerminate();
    }
    EXPECT_TRUE(log.contains("Analytics: appWillTerminate()"));
    EXPECT_TRUE(log.contains("Analytics: Saved Analytics cache"));

    server.respondWith(200);
    auto client = start();
    EXPECT_TRUE(log.contains("Analytics: Loaded 5 signals"));
    runtime.advance(30s);
    client->appWillTerminate();
    auto sent = batches();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(types(sent[1]), (std::vector<std::string>{"event0", "event1", "event2", "event3", "event4"}));

    auto third = start();
    runtime.advance(30s);
    EXPECT_EQ(server.requests().size(), 2u) << "nothing is sent twice";
}

TEST_F(SignalCacheRestartTest, ACrashNeitherLosesNewSignalsNorResendsDeliveredOnes) {
    {
        auto client = start();
        sendSignals(*client, 2);
        runtime.advance(10s); // delivered
        sendSignals(*client, 1, 2);
        // The process dies here: no termination step.
    }
    auto client = start();
    runtime.advance(10s);
    auto sent = batches();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(types(sent[1]), (std::vector<std::string>{"event2"}));
}

class FakeApplicationCenter : public NotificationCenter {
public:
    ObserverId addObserver(const std::string& name, Handler handler) override {
        m_handlers.emplace(++m_next, std::make_pair(name, std::move(handler)));
        return m_next;
    }
    void removeObserver(ObserverId id) override { m_handlers.erase(id); }
    void post(const std::string& name) {
        for (auto& [id, entry] : m_handlers)
            if (entry.first == name)
                entry.second();
    }
    std::size_t count() const { return m_handlers.size(); }

private:
    std::map<ObserverId, std::pair<std::string, Handler>> m_handlers;
    ObserverId m_next = 0;
};

TEST_F(SignalCacheRestartTest, TheApplicationsTerminationSavesTheCache) {
    FakeApplicationCenter center;
    SignalClientServices withCenter = services();
    withCenter.applicationCenter = &center;
    {
        auto client = SignalClient::initialize(configuration(), withCenter);
        runtime.runUntilIdle();
        center.post("NSApplicationWillTerminateNotification");
        EXPECT_TRUE(log.contains("Analytics: appWillTerminate()"));
        EXPECT_TRUE(log.contains("Analytics: Saved Analytics cache"));
    }
    runtime.runUntilIdle();
    EXPECT_EQ(center.count(), 0u) << "a client that is gone stops listening";
}

} // namespace
