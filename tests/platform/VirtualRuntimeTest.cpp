#include "support/VirtualRuntime.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace std::chrono_literals;
using tallowmere::Seconds;
using tallowmere::test::VirtualRuntime;

namespace {

// The unit tests of every area fail when deadlines, repeats, waits or workers go wrong here; what they would not
// see is a stopped timer firing on, a timer stopping itself while it fires, or time that is not virtual.
TEST(VirtualRuntime, StoppedTimersStayQuietAndWaitingTakesNoRealTime) {
    VirtualRuntime runtime;
    const auto realStart = std::chrono::steady_clock::now();
    int firings = 0, selfStopped = 0;
    auto timer = runtime.scheduleTimer(60s, true, [&] { ++firings; });
    std::unique_ptr<tallowmere::Timer> selfStopping;
    selfStopping = runtime.scheduleTimer(1s, true, [&] {
        if (++selfStopped == 2)
            selfStopping.reset();
    });
    EXPECT_EQ(runtime.nextPendingDelay(), Seconds(1));
    runtime.advance(180s);
    EXPECT_EQ(firings, 3);
    EXPECT_EQ(selfStopped, 2);
    timer->invalidate();
    EXPECT_FALSE(timer->isValid());
    runtime.advance(600s);
    EXPECT_EQ(firings, 3);
    EXPECT_FALSE(runtime.nextPendingDelay());

    EXPECT_FALSE(runtime.makeSemaphore(0)->wait(3600s));
    EXPECT_EQ(runtime.elapsed(), Seconds(4380));
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, 1s);
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
