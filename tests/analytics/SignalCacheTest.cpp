#include "SignalClientHarness.h"

#include "analytics/SignalCache.h"
#include "support/FakeNotificationCenter.h"

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

class SignalCacheTest : public ::testing::Test {
protected:
    std::string path = SignalClientHarness::cachePath;
    LogCapture log;
    AnalyticsLogger logger{LogHandler::standard(LogLevel::debug), true};
    FakeCacheFileSystem files;
};

TEST_F(SignalCacheTest, PopsAtMostAHundredTakesAFailedBatchBackToTheFrontAndKeepsItOnDiskUntilDelivered) {
    SignalCache cache(files, path, logger);
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
    auto onDisk = [&] { return typesOf(*decodeSignals(QByteArray::fromStdString(files.file(path).value()))); };
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
    SignalCache cache(files, path, logger);
    cache.push(first);
    cache.push(record(2));
    EXPECT_TRUE(cache.backupCache());
    SignalCache reloaded(files, path, logger);
    EXPECT_EQ(reloaded.pendingSignals(), (std::vector<SignalPostBody>{first, record(2)}));

    std::string before = *files.file(path);
    files.failWrites = true;
    reloaded.push(record(3));
    EXPECT_FALSE(reloaded.backupCache());
    EXPECT_TRUE(log.contains("Analytics: Error saving Analytics cache"));
    EXPECT_EQ(*files.file(path), before);
}

TEST_F(SignalCacheTest, AnUnreadableFileIsMovedAsideAndTheCacheStartsWithWhatCouldBeRead) {
    SignalCache source(files, path, logger);
    for (int i = 0; i < 3; ++i)
        source.push(record(i));
    std::string valid = *files.file(path);
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
        // Kept beside the cache as it was, never overwritten.
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
    EXPECT_TRUE(files.paths().empty());
    EXPECT_FALSE(cache.backupCache());
}

// The client across a restart: what one run leaves behind, the next one sends at once, and only once. A crash
// loses nothing either: every change to the cache is saved at once (see above).
class SignalCacheRestartTest : public ::testing::Test, public SignalClientHarness {};

TEST_F(SignalCacheRestartTest, SignalsSurviveARestartAndAreSentOnceButNeverByAClientNotMeantToSend) {
    server->status = 500;
    FakeNotificationCenter center;
    SignalClientServices withCenter = services();
    withCenter.applicationCenter = &center;
    {
        auto client = SignalClient::initialize(configuration(), withCenter);
        runtime.runUntilIdle(); // the first attempt finds the cache empty
        sendSignals(*client, 5);
        runtime.advance(10s); // one failed attempt in between
        center.post("NSApplicationWillTerminateNotification");
    }
    EXPECT_TRUE(log.contains("Analytics: appWillTerminate()"));
    EXPECT_TRUE(log.contains("Analytics: Saved Analytics cache"));
    runtime.runUntilIdle();
    EXPECT_EQ(center.observerCount("NSApplicationWillTerminateNotification"), 0)
        << "a client that is gone stops listening";

    // Switched off, or a debug build not meant to send: not even the signals of an earlier run leave.
    for (auto [disabled, sendsInDebug] : {std::pair{true, true}, {false, false}}) {
        auto config = configuration();
        config.analyticsDisabled = disabled;
        config.sendSignalsInDebugConfiguration = sendsInDebug;
        SignalClientServices debug = services();
        debug.environment->isDebug = true;
        auto client = SignalClient::initialize(config, debug);
        sendSignals(*client, 1);
        runtime.advance(20s);
        EXPECT_EQ(client->signalManager().cache().count(), 5u) << disabled;
    }
    EXPECT_EQ(server->sent.size(), 1u);

    server->status = 200;
    auto client = start();
    EXPECT_TRUE(log.contains("Analytics: Loaded 5 signals"));
    ASSERT_EQ(server->sent.size(), 2u) << "the first attempt does not wait for the timer";
    EXPECT_EQ(types(batches()[1]), (std::vector<std::string>{"event0", "event1", "event2", "event3", "event4"}));
    runtime.advance(30s);
    EXPECT_EQ(server->sent.size(), 2u) << "nothing is sent twice";
}

} // namespace
