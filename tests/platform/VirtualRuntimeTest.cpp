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

TEST(VirtualRuntime, MainQueueRunsByDeadlineThenSubmissionAndTimersRepeatUntilStopped) {
    VirtualRuntime runtime;
    Strings order; // main-queue items run on this thread
    runtime.mainAfter(2s, [&] { order.push_back("late-a"); });
    runtime.mainAfter(1s, [&] { order.push_back("early"); });
    runtime.mainAfter(2s, [&] { order.push_back("late-b"); });
    runtime.mainAsync([&] {
        order.push_back("now");
        runtime.mainAsync([&] { order.push_back("queued-from-item"); });
    });
    std::vector<double> firings;
    auto timer = runtime.scheduleTimer(60s, true, [&] { firings.push_back(runtime.elapsed().count()); });
    int oneShot = 0, selfStopped = 0;
    auto once = runtime.scheduleTimer(5s, false, [&] { ++oneShot; });
    std::unique_ptr<tallowmere::Timer> selfStopping;
    selfStopping = runtime.scheduleTimer(1s, true, [&] {
        if (++selfStopped == 2)
            selfStopping.reset(); // a timer may stop itself while firing
    });

    runtime.runUntilIdle();
    EXPECT_EQ(order, (Strings{"now", "queued-from-item"}));
    runtime.advance(0.999s);
    EXPECT_EQ(order.size(), 2u) << "nothing runs before its deadline";
    EXPECT_NEAR(runtime.nextPendingDelay().value_or(0s).count(), 0.001, 1e-9);
    runtime.advance(1.001s);
    EXPECT_EQ(order, (Strings{"now", "queued-from-item", "early", "late-a", "late-b"}));
    runtime.advance(178s);
    EXPECT_EQ(firings, (std::vector<double>{60, 120, 180}));
    timer->invalidate();
    runtime.advance(600s);
    EXPECT_EQ(firings.size(), 3u);
    EXPECT_EQ(oneShot, 1);
    EXPECT_EQ(selfStopped, 2);
}

TEST(VirtualRuntime, WorkersBlockUntilSignalledOrTheirVirtualDeadlineAndNeverStarve) {
    VirtualRuntime runtime;
    auto realStart = std::chrono::steady_clock::now();
    auto unsignalled = runtime.makeSemaphore(0);
    auto signalled = runtime.makeSemaphore(0);
    std::atomic<double> timedOutAt{-1}, signalledAt{-1}, sleptUntil{-1}, delayedRanAt{-1};
    runtime.globalAsync(QoS::UserInitiated, [&] {
        EXPECT_FALSE(unsignalled->wait(10s));
        timedOutAt = runtime.elapsed().count();
    });
    runtime.globalAsync(QoS::UserInitiated, [&] {
        EXPECT_TRUE(signalled->wait(10s));
        signalledAt = runtime.elapsed().count();
    });
    runtime.globalAsync(QoS::Utility, [&] {
        runtime.sleepFor(1.5s);
        sleptUntil = runtime.elapsed().count();
    });
    runtime.globalAfter(QoS::Default, 12s, [&] {
        EXPECT_FALSE(runtime.isMainThread());
        delayedRanAt = runtime.elapsed().count();
    });
    runtime.mainAfter(3s, [&] { signalled->signal(); });
    runtime.advance(9.999s);
    EXPECT_EQ(timedOutAt.load(), -1);
    EXPECT_DOUBLE_EQ(signalledAt.load(), 3.0);
    EXPECT_DOUBLE_EQ(sleptUntil.load(), 1.5);
    runtime.advance(2.001s);
    EXPECT_DOUBLE_EQ(timedOutAt.load(), 10.0);
    EXPECT_DOUBLE_EQ(delayedRanAt.load(), 12.0);
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, 1s);

    // Far more blocked members than cores; the last task is the one that releases them all. The group is
    // waited for on a worker, notified on the main queue and waited for by the test (main) thread itself.
    auto group = runtime.makeGroup();
    auto gate = runtime.makeSemaphore(0);
    std::atomic<int> released{0};
    for (int i = 0; i < 16; ++i) {
        group->enter();
        runtime.globalAsync(QoS::Default, [&] {
            gate->wait();
            runtime.sleepFor(1s);
            ++released;
            group->leave();
        });
    }
    runtime.globalAsync(QoS::Default, [&] {
        for (int i = 0; i < 16; ++i)
            gate->signal();
    });
    double notifiedAt = -1;
    group->notifyMain([&] { notifiedAt = runtime.elapsed().count(); });
    std::atomic<double> waitedUntil{-1};
    runtime.globalAsync(QoS::Default, [&] {
        group->wait();
        waitedUntil = runtime.elapsed().count();
    });
    EXPECT_TRUE(group->wait());
    runtime.runUntilIdle();
    EXPECT_EQ(released.load(), 16);
    EXPECT_DOUBLE_EQ(notifiedAt, 13.0);
    EXPECT_DOUBLE_EQ(waitedUntil.load(), 13.0);
    EXPECT_FALSE(runtime.makeSemaphore(0)->wait(2s));
    EXPECT_DOUBLE_EQ(runtime.elapsed().count(), 15.0);
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
