#include "support/VirtualRuntime.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <vector>

using namespace std::chrono_literals;
using tallowmere::QoS;
using tallowmere::Seconds;
using tallowmere::test::VirtualRuntime;

namespace {

using Strings = std::vector<std::string>;

TEST(VirtualRuntime, MainQueueRunsInSubmissionOrderAndDelayedItemsByDeadlineThenSubmission) {
    VirtualRuntime runtime;
    Strings order; // main-queue items run on this thread
    runtime.mainAfter(2s, [&] { order.push_back("late-a"); });
    runtime.mainAfter(1s, [&] { order.push_back("early"); });
    runtime.mainAfter(2s, [&] { order.push_back("late-b"); });
    runtime.mainAsync([&] { order.push_back("now-1"); });
    runtime.mainAsync([&] {
        order.push_back("now-2");
        runtime.mainAsync([&] { order.push_back("queued-from-item"); });
    });

    runtime.runUntilIdle();
    EXPECT_EQ(order, (Strings{"now-1", "now-2", "queued-from-item"}));
    runtime.advance(0.999s);
    EXPECT_EQ(order.size(), 3u) << "nothing runs before its deadline";
    ASSERT_TRUE(runtime.nextPendingDelay());
    EXPECT_NEAR(runtime.nextPendingDelay()->count(), 0.001, 1e-9);
    runtime.advance(0.001s);
    EXPECT_EQ(order.back(), "early");
    runtime.advance(1s);
    EXPECT_EQ(order, (Strings{"now-1", "now-2", "queued-from-item", "early", "late-a", "late-b"}));
    EXPECT_DOUBLE_EQ(runtime.elapsed().count(), 2.0);
}

TEST(VirtualRuntime, SemaphoreWaitsOnWorkersEndAtTheirVirtualDeadlineOrWhenSignalled) {
    VirtualRuntime runtime;
    auto unsignalled = runtime.makeSemaphore(0);
    auto signalled = runtime.makeSemaphore(0);
    std::atomic<bool> timedOutResult{true}, signalledResult{false};
    std::atomic<double> timedOutAt{-1}, signalledAt{-1};
    runtime.globalAsync(QoS::UserInitiated, [&] {
        timedOutResult = unsignalled->wait(10s);
        timedOutAt = runtime.elapsed().count();
    });
    runtime.globalAsync(QoS::UserInitiated, [&] {
        signalledResult = signalled->wait(10s);
        signalledAt = runtime.elapsed().count();
    });
    runtime.mainAfter(3s, [&] { signalled->signal(); });
    runtime.advance(9.999s);
    EXPECT_EQ(timedOutAt.load(), -1);
    EXPECT_TRUE(signalledResult.load());
    EXPECT_DOUBLE_EQ(signalledAt.load(), 3.0);
    runtime.advance(0.001s);
    EXPECT_FALSE(timedOutResult.load());
    EXPECT_DOUBLE_EQ(timedOutAt.load(), 10.0);
}

TEST(VirtualRuntime, BackgroundSleepAndDelayedGlobalWorkTakeVirtualNotRealTime) {
    VirtualRuntime runtime;
    std::atomic<double> sleptUntil{-1}, delayedRanAt{-1};
    std::atomic<bool> delayedOnMain{true};
    auto realStart = std::chrono::steady_clock::now();
    runtime.globalAsync(QoS::Utility, [&] {
        runtime.sleepFor(1.5s);
        sleptUntil = runtime.elapsed().count();
    });
    runtime.globalAfter(QoS::Default, 12s, [&] {
        delayedRanAt = runtime.elapsed().count();
        delayedOnMain = runtime.isMainThread();
    });
    runtime.advance(1.4s);
    EXPECT_EQ(sleptUntil.load(), -1);
    runtime.advance(0.1s);
    EXPECT_DOUBLE_EQ(sleptUntil.load(), 1.5);
    runtime.advance(10.4s);
    EXPECT_EQ(delayedRanAt.load(), -1);
    runtime.advance(0.1s);
    EXPECT_DOUBLE_EQ(delayedRanAt.load(), 12.0);
    EXPECT_FALSE(delayedOnMain.load());
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, 1s);
}

TEST(VirtualRuntime, BlockedWorkersNeverStarveQueuedWork) {
    VirtualRuntime runtime;
    auto semaphore = runtime.makeSemaphore(0);
    std::atomic<int> released{0};
    // Far more blocked tasks than cores; the last task is the one that unblocks them all.
    for (int i = 0; i < 16; ++i)
        runtime.globalAsync(QoS::Default, [&] {
            semaphore->wait();
            ++released;
        });
    runtime.globalAsync(QoS::Default, [&] {
        for (int i = 0; i < 16; ++i)
            semaphore->signal();
    });
    runtime.runUntilIdle();
    EXPECT_EQ(released.load(), 16);
}

TEST(VirtualRuntime, TimersRepeatUntilInvalidatedOrFireOnce) {
    VirtualRuntime runtime;
    std::vector<double> firings;
    auto timer = runtime.scheduleTimer(60s, true, [&] { firings.push_back(runtime.elapsed().count()); });
    int oneShot = 0;
    auto once = runtime.scheduleTimer(5s, false, [&] { ++oneShot; });
    int selfStopped = 0;
    std::unique_ptr<tallowmere::Timer> selfStopping;
    selfStopping = runtime.scheduleTimer(1s, true, [&] {
        if (++selfStopped == 2)
            selfStopping.reset(); // a timer may stop itself while firing
    });
    runtime.advance(59s);
    EXPECT_TRUE(firings.empty());
    runtime.advance(121s);
    EXPECT_EQ(firings, (std::vector<double>{60, 120, 180}));
    timer->invalidate();
    EXPECT_FALSE(timer->isValid());
    runtime.advance(600s);
    EXPECT_EQ(firings.size(), 3u);
    EXPECT_EQ(oneShot, 1);
    EXPECT_FALSE(once->isValid());
    EXPECT_EQ(selfStopped, 2);
}

TEST(VirtualRuntime, GroupsWaitAndNotifyOnceEveryMemberLeftAlsoWhenTheMainThreadWaits) {
    VirtualRuntime runtime;
    auto group = runtime.makeGroup();
    std::atomic<int> done{0};
    for (int i = 1; i <= 3; ++i) {
        group->enter();
        runtime.globalAsync(QoS::Utility, [&, i] {
            runtime.sleepFor(Seconds(i));
            ++done;
            group->leave();
        });
    }
    double notifiedAt = -1;
    group->notifyMain([&] { notifiedAt = runtime.elapsed().count(); });
    std::atomic<double> waitedUntil{-1};
    runtime.globalAsync(QoS::Default, [&] {
        group->wait();
        waitedUntil = runtime.elapsed().count();
    });
    runtime.advance(10s);
    EXPECT_EQ(done.load(), 3);
    EXPECT_DOUBLE_EQ(notifiedAt, 3.0);
    EXPECT_DOUBLE_EQ(waitedUntil.load(), 3.0);

    // Blocking on the test (main) thread lets workers and time proceed.
    auto second = runtime.makeGroup();
    second->enter();
    runtime.globalAsync(QoS::Utility, [&] {
        runtime.sleepFor(0.1s);
        second->leave();
    });
    EXPECT_TRUE(second->wait());
    EXPECT_DOUBLE_EQ(runtime.elapsed().count(), 10.1);
    EXPECT_FALSE(runtime.makeSemaphore(0)->wait(2s));
    EXPECT_DOUBLE_EQ(runtime.elapsed().count(), 12.1);
}

TEST(VirtualRuntime, WeakOwnerWorkDoesNothingOnceTheOwnerIsGone) {
    VirtualRuntime runtime;
    struct Owner {
        int calls = 0;
    };
    auto owner = std::make_shared<Owner>();
    int ranWith = 0;
    runtime.mainAfter(1s, tallowmere::weakly(owner, [&](Owner& o) { ranWith = ++o.calls; }));
    runtime.mainAfter(2s, tallowmere::weakly(owner, [&](Owner& o) { ranWith = ++o.calls; }));
    runtime.advance(1s);
    EXPECT_EQ(ranWith, 1);
    owner.reset();
    runtime.advance(5s);
    EXPECT_EQ(ranWith, 1);
}

} // namespace
