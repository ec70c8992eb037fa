#include "platform/QtRuntime.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <mutex>
#include <vector>

using namespace std::chrono_literals;
using tallowmere::QoS;
using tallowmere::QtRuntime;
using tallowmere::Seconds;

namespace {

// Runs the Qt event loop until `done` or a generous safety limit.
void spinUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST(QtRuntime, GlobalQueuesKeepRunningWhenEveryRunningTaskBlocks) {
    QtRuntime runtime;
    auto semaphore = runtime.makeSemaphore(0);
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

TEST(QtRuntime, MainQueueRunsOnTheEventLoopThreadInOrder) {
    QtRuntime runtime;
    std::mutex mutex;
    std::vector<int> order;
    std::atomic<bool> allOnMain{true};
    runtime.globalAsync(QoS::Default, [&] {
        for (int i = 0; i < 5; ++i)
            runtime.mainAsync([&, i] {
                allOnMain = allOnMain && runtime.isMainThread();
                std::lock_guard lock(mutex);
                order.push_back(i);
            });
    });
    spinUntil([&] {
        std::lock_guard lock(mutex);
        return order.size() == 5;
    });
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(allOnMain.load());
}

TEST(QtRuntime, DelayedWorkRunsAfterShorterDelaysAndGroupsNotifyOnMain) {
    QtRuntime runtime;
    std::vector<std::string> order;
    runtime.mainAfter(0.03s, [&] { order.push_back("later"); });
    runtime.mainAfter(0.01s, [&] { order.push_back("sooner"); });
    std::atomic<bool> globalRan{false};
    runtime.globalAfter(QoS::Default, 0.01s, [&] { globalRan = true; });

    auto group = runtime.makeGroup();
    group->enter();
    group->enter();
    runtime.globalAsync(QoS::Utility, [&] { group->leave(); });
    runtime.globalAsync(QoS::Utility, [&] { group->leave(); });
    bool notified = false;
    group->notifyMain([&] {
        EXPECT_TRUE(runtime.isMainThread());
        notified = true;
    });
    spinUntil([&] { return order.size() == 2 && globalRan && notified; });
    EXPECT_EQ(order, (std::vector<std::string>{"sooner", "later"}));
    EXPECT_TRUE(globalRan.load());
    EXPECT_TRUE(notified);
}

TEST(QtRuntime, RepeatingTimerStopsWhenInvalidatedFromItsOwnAction) {
    QtRuntime runtime;
    int firings = 0;
    std::unique_ptr<tallowmere::Timer> timer;
    timer = runtime.scheduleTimer(0.001s, true, [&] {
        if (++firings == 3)
            timer->invalidate();
    });
    spinUntil([&] { return firings >= 3; });
    // A few more turns of the loop: an invalidated timer stays quiet.
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(firings, 3);
    EXPECT_FALSE(timer->isValid());
}

TEST(QtRuntime, SemaphoreReportsTimeoutAndSignal) {
    QtRuntime runtime;
    auto semaphore = runtime.makeSemaphore(0);
    EXPECT_FALSE(semaphore->wait(0.001s));
    semaphore->signal();
    EXPECT_TRUE(semaphore->wait(0s));
}

TEST(QtRuntime, DelaysBeyondWhatOneQtTimerCountsAreNotCutShort) {
    QtRuntime runtime;
    bool early = false;
    // Longer than a QTimer's 24.8-day limit, and not a number at all: neither may fire now.
    auto longTimer = runtime.scheduleTimer(Seconds(30.0 * 86400), false, [&] { early = true; });
    runtime.mainAfter(Seconds(40.0 * 86400), [&] { early = true; });
    bool immediate = false;
    runtime.mainAfter(Seconds(std::nan("")), [&] { immediate = true; });
    spinUntil([&] { return immediate; });
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(immediate);
    EXPECT_FALSE(early);
    EXPECT_TRUE(longTimer->isValid());
}

} // namespace
