#include "support/VirtualRuntime.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>

using namespace std::chrono_literals;
using tallowmere::QoS;
using tallowmere::Seconds;
using tallowmere::test::VirtualRuntime;

namespace {

class Recorder {
public:
    void add(std::string entry) {
        std::lock_guard lock(m_mutex);
        m_entries.push_back(std::move(entry));
    }
    std::vector<std::string> entries() {
        std::lock_guard lock(m_mutex);
        return m_entries;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_entries;
};

TEST(VirtualRuntime, MainQueueRunsInSubmissionOrderAndDelayedItemsByDeadlineThenSubmission) {
    VirtualRuntime runtime;
    Recorder recorder;
    runtime.mainAfter(2s, [&] { recorder.add("late-a"); });
    runtime.mainAfter(1s, [&] { recorder.add("early"); });
    runtime.mainAfter(2s, [&] { recorder.add("late-b"); });
    runtime.mainAsync([&] { recorder.add("now-1"); });
    runtime.mainAsync([&] {
        recorder.add("now-2");
        runtime.mainAsync([&] { recorder.add("queued-from-item"); });
    });

    runtime.runUntilIdle();
    EXPECT_EQ(recorder.entries(), (std::vector<std::string>{"now-1", "now-2", "queued-from-item"}));

    runtime.advance(1.5s);
    EXPECT_EQ(recorder.entries().back(), "early");
    runtime.advance(0.5s);
    EXPECT_EQ(recorder.entries(),
              (std::vector<std::string>{"now-1", "now-2", "queued-from-item", "early", "late-a", "late-b"}));
    EXPECT_DOUBLE_EQ(runtime.elapsed().count(), 2.0);
}

TEST(VirtualRuntime, NothingDueBeforeItsDeadline) {
    VirtualRuntime runtime;
    bool ran = false;
    runtime.mainAfter(3s, [&] { ran = true; });
    runtime.advance(2.999s);
    EXPECT_FALSE(ran);
    ASSERT_TRUE(runtime.nextPendingDelay().has_value());
    EXPECT_NEAR(runtime.nextPendingDelay()->count(), 0.001, 1e-9);
    runtime.advance(0.001s);
    EXPECT_TRUE(ran);
}

TEST(VirtualRuntime, SemaphoreWaitOnWorkerTimesOutAtExactlyItsVirtualDeadline) {
    VirtualRuntime runtime;
    auto semaphore = runtime.makeSemaphore(0);
    std::atomic<bool> result{true};
    std::atomic<double> wokeAt{-1};
    runtime.globalAsync(QoS::UserInitiated, [&] {
        result = semaphore->wait(10s);
        wokeAt = runtime.elapsed().count();
    });
    runtime.advance(9.999s);
    EXPECT_EQ(wokeAt.load(), -1);
    runtime.advance(0.001s);
    EXPECT_FALSE(result.load());
    EXPECT_DOUBLE_EQ(wokeAt.load(), 10.0);
}

TEST(VirtualRuntime, SemaphoreSignalledFromMainWakesTheWaiterWithoutTimeout) {
    VirtualRuntime runtime;
    auto semaphore = runtime.makeSemaphore(0);
    std::atomic<bool> result{false};
    std::atomic<double> wokeAt{-1};
    runtime.globalAsync(QoS::UserInitiated, [&] {
        result = semaphore->wait(10s);
        wokeAt = runtime.elapsed().count();
    });
    runtime.mainAfter(3s, [&] { semaphore->signal(); });
    runtime.advance(12s);
    EXPECT_TRUE(result.load());
    EXPECT_DOUBLE_EQ(wokeAt.load(), 3.0);
}

TEST(VirtualRuntime, BackgroundSleepTakesVirtualNotRealTime) {
    VirtualRuntime runtime;
    std::atomic<double> finishedAt{-1};
    auto realStart = std::chrono::steady_clock::now();
    runtime.globalAsync(QoS::Utility, [&] {
        runtime.sleepFor(1.5s);
        finishedAt = runtime.elapsed().count();
    });
    runtime.advance(1.4s);
    EXPECT_EQ(finishedAt.load(), -1);
    runtime.advance(0.1s);
    EXPECT_DOUBLE_EQ(finishedAt.load(), 1.5);
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

TEST(VirtualRuntime, RepeatingTimerFiresEveryIntervalUntilInvalidated) {
    VirtualRuntime runtime;
    std::vector<double> firings;
    auto timer = runtime.scheduleTimer(60s, true, [&] { firings.push_back(runtime.elapsed().count()); });
    runtime.advance(59s);
    EXPECT_TRUE(firings.empty());
    runtime.advance(121s);
    EXPECT_EQ(firings, (std::vector<double>{60, 120, 180}));
    timer->invalidate();
    EXPECT_FALSE(timer->isValid());
    runtime.advance(600s);
    EXPECT_EQ(firings.size(), 3u);
}

TEST(VirtualRuntime, OneShotTimerFiresOnceAndATimerMayStopItselfWhileFiring) {
    VirtualRuntime runtime;
    int oneShot = 0;
    auto once = runtime.scheduleTimer(5s, false, [&] { ++oneShot; });
    int repeating = 0;
    std::unique_ptr<tallowmere::Timer> selfStopping;
    selfStopping = runtime.scheduleTimer(1s, true, [&] {
        if (++repeating == 2)
            selfStopping.reset();
    });
    runtime.advance(30s);
    EXPECT_EQ(oneShot, 1);
    EXPECT_FALSE(once->isValid());
    EXPECT_EQ(repeating, 2);
}

TEST(VirtualRuntime, GroupWaitAndNotifyRunOnceEveryMemberLeft) {
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
}

TEST(VirtualRuntime, MainThreadBlockingOnAGroupLetsWorkersAndTimeProceed) {
    VirtualRuntime runtime;
    auto group = runtime.makeGroup();
    group->enter();
    runtime.globalAsync(QoS::Utility, [&] {
        runtime.sleepFor(0.1s);
        group->leave();
    });
    EXPECT_TRUE(group->wait()); // on the test (main) thread
    EXPECT_DOUBLE_EQ(runtime.elapsed().count(), 0.1);

    // A bounded wait on the main thread runs out on virtual time as well.
    auto semaphore = runtime.makeSemaphore(0);
    EXPECT_FALSE(semaphore->wait(2s));
    EXPECT_DOUBLE_EQ(runtime.elapsed().count(), 2.1);
}

TEST(VirtualRuntime, DelayedGlobalWorkRunsOnAWorkerAtItsDeadline) {
    VirtualRuntime runtime;
    std::atomic<double> ranAt{-1};
    std::atomic<bool> onMain{true};
    runtime.globalAfter(QoS::Default, 12s, [&] {
        ranAt = runtime.elapsed().count();
        onMain = runtime.isMainThread();
    });
    runtime.advance(11s);
    EXPECT_EQ(ranAt.load(), -1);
    runtime.advance(1s);
    EXPECT_DOUBLE_EQ(ranAt.load(), 12.0);
    EXPECT_FALSE(onMain.load());
}

TEST(VirtualRuntime, WeakOwnerWorkDoesNothingOnceTheOwnerIsGone) {
    VirtualRuntime runtime;
    struct Owner {
        int calls = 0;
    };
    auto owner = std::make_shared<Owner>();
    std::weak_ptr<Owner> watch = owner;
    int ranWith = 0;
    runtime.mainAfter(1s, tallowmere::weakly(owner, [&](Owner& o) { ranWith = ++o.calls; }));
    runtime.mainAfter(2s, tallowmere::weakly(owner, [&](Owner& o) { ranWith = ++o.calls; }));
    runtime.advance(1s);
    EXPECT_EQ(ranWith, 1);
    owner.reset();
    EXPECT_TRUE(watch.expired());
    runtime.advance(5s);
    EXPECT_EQ(ranWith, 1);
}

} // namespace
