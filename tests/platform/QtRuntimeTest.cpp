#include "platform/QtRuntime.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <vector>

using namespace std::chrono_literals;
using tallowmere::QoS;
using tallowmere::QtRuntime;
using tallowmere::Seconds;

namespace {

// Runs the Qt event loop until `done` or the limit.
void spinUntil(const std::function<bool()>& done, int limitMilliseconds = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMilliseconds) {
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
}

TEST(QtRuntime, GlobalQueuesKeepRunningWhenEveryRunningTaskBlocks) {
    QtRuntime runtime;
    auto semaphore = runtime.makeSemaphore(0);
    EXPECT_FALSE(semaphore->wait(0.001s));
    semaphore->signal();
    EXPECT_TRUE(semaphore->wait(0s));

    std::atomic<int> released{0};
    // Twice as many blocking tasks as a one-thread-per-core pool could hold, then the one that frees them.
    for (int i = 0; i < 8; ++i)
        runtime.globalAsync(QoS::UserInitiated, [&] {
            semaphore->wait();
            ++released;
        });
    runtime.globalAsync(QoS::Utility, [&] {
        for (int i = 0; i < 8; ++i)
            semaphore->signal();
    });
    spinUntil([&] { return released == 8; });
    EXPECT_EQ(released.load(), 8);
}

TEST(QtRuntime, MainQueueDelayedWorkAndGroupNotificationsRunOnTheEventLoopInOrder) {
    QtRuntime runtime;
    std::vector<std::string> queued, delayed; // touched on the main thread only, which the test checks
    std::atomic<bool> allOnMain{true};
    auto record = [&](std::vector<std::string>& into, std::string entry) {
        allOnMain = allOnMain && runtime.isMainThread();
        into.push_back(std::move(entry));
    };
    runtime.globalAsync(QoS::Default, [&] {
        for (int i = 0; i < 3; ++i)
            runtime.mainAsync([&, i] { record(queued, std::to_string(i)); });
    });
    runtime.mainAfter(0.03s, [&] { record(delayed, "later"); });
    runtime.mainAfter(0.01s, [&] { record(delayed, "sooner"); });
    // Delayed global work, and a group's wait for its members, are seen end to end (tests/e2e).
    bool notified = false;
    runtime.makeGroup()->notifyMain([&] { notified = runtime.isMainThread(); });

    spinUntil([&] { return queued.size() == 3 && delayed.size() == 2 && notified; });
    EXPECT_EQ(queued, (std::vector<std::string>{"0", "1", "2"}));
    EXPECT_EQ(delayed, (std::vector<std::string>{"sooner", "later"}));
    EXPECT_TRUE(allOnMain.load());
    EXPECT_TRUE(notified);
}

TEST(QtRuntime, TimersStopWhenInvalidatedFromTheirOwnActionAndLongDelaysAreNotCutShort) {
    QtRuntime runtime;
    int firings = 0;
    std::unique_ptr<tallowmere::Timer> timer;
    timer = runtime.scheduleTimer(0.001s, true, [&] {
        if (++firings == 3)
            timer->invalidate();
    });
    bool early = false;
    // Longer than a QTimer's 24.8-day limit, and not a number at all: neither may fire now.
    auto longTimer = runtime.scheduleTimer(Seconds(30.0 * 86400), false, [&] { early = true; });
    runtime.mainAfter(Seconds(40.0 * 86400), [&] { early = true; });
    bool immediate = false;
    runtime.mainAfter(Seconds(std::nan("")), [&] { immediate = true; });
    spinUntil([&] { return firings >= 3 && immediate; });
    spinUntil([] { return false; }, 20); // a few more turns of the loop: an invalidated timer stays quiet
    EXPECT_EQ(firings, 3);
    EXPECT_FALSE(timer->isValid());
    EXPECT_TRUE(immediate);
    EXPECT_FALSE(early);
    EXPECT_TRUE(longTimer->isValid());
}

} // namespace
