#include "analytics/Analytics.h"
#include "base/Preferences.h"
#include "support/FakeSignalSender.h"
#include "support/MemoryPreferenceStore.h"
#include "support/VirtualRuntime.h"

#include <gtest/gtest.h>

using namespace tallowmere;
using namespace tallowmere::test;
using Texts = std::map<std::string, std::string>;

namespace {

class AnalyticsFacadeTest : public ::testing::Test {
protected:
    std::vector<FakeSignalSender::Signal> sentAfterIdle() {
        runtime.runUntilIdle();
        return client->received();
    }

    VirtualRuntime runtime;
    MemoryPreferenceStore preferences;
    std::shared_ptr<FakeSignalSender> client = std::make_shared<FakeSignalSender>();
    Analytics analytics{runtime, preferences, [this] { return client; }};
};

TEST_F(AnalyticsFacadeTest, HandsEachEventOffTheCallingThreadUnderItsCaseNameWithParametersAsText) {
    analytics.track(AnalyticsEvent::firstLaunch);
    analytics.track(AnalyticsEvent::preferencesOpened,
                    {{"ratio", 2.5}, {"whole", 3.0}, {"flag", true}, {"count", 3}, {"big", std::int64_t(1) << 40}});
    auto sent = sentAfterIdle();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_NE(sent[1].thread, std::this_thread::get_id());
    EXPECT_EQ(sent[0].name + " " + sent[1].name, "firstLaunch preferencesOpened");
    EXPECT_EQ(sent[0].parameters, Texts{});
    EXPECT_EQ(sent[1].parameters,
              (Texts{{"ratio", "2.5"}, {"whole", "3.0"}, {"flag", "true"}, {"count", "3"}, {"big", "1099511627776"}}));
}

TEST_F(AnalyticsFacadeTest, OnlyAnExplicitFalseStopsEveryEvent) {
    preferences.setBool(PreferenceKey::analyticsEnabled, false);
    analytics.track(AnalyticsEvent::appLaunched);
    analytics.track(AnalyticsEvent::toggleKeepAwake, {{"action", "deactivate"}});
    EXPECT_TRUE(sentAfterIdle().empty());

    // True again, and falsy values of other types, do not count as the user's choice.
    for (PropertyValue stored : {PropertyValue(true), PropertyValue(std::int64_t(0)), PropertyValue("false"),
                                 PropertyValue("NO"), PropertyValue(0.0)}) {
        preferences.setObject(PreferenceKey::analyticsEnabled, stored);
        analytics.track(AnalyticsEvent::appLaunched);
    }
    EXPECT_EQ(sentAfterIdle().size(), 5u);
}

TEST_F(AnalyticsFacadeTest, EventsReachTheClientOneAfterAnotherAsTrackedAndFlushWaitsForThemWithinItsLimit) {
    // A client that takes its time over the first event: the next must not overtake it.
    struct SlowClient : FakeSignalSender {
        std::unique_ptr<Semaphore> gate;
        void signal(const std::string& name, const Texts& parameters, std::optional<double>,
                    std::optional<std::string>) override {
            if (name == "appLaunched")
                gate->wait();
            FakeSignalSender::signal(name, parameters, std::nullopt, std::nullopt);
        }
    };
    auto slow = std::make_shared<SlowClient>();
    slow->gate = runtime.makeSemaphore(0);
    Analytics ordered(runtime, preferences, [&] { return slow; });
    ordered.track(AnalyticsEvent::appLaunched);
    ordered.track(AnalyticsEvent::firstLaunch);
    runtime.runUntilIdle();
    EXPECT_FALSE(ordered.flush(Seconds(1)));

    slow->gate->signal();
    EXPECT_TRUE(ordered.flush(Seconds(1)));
    auto sent = slow->received();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].name + " " + sent[1].name, "appLaunched firstLaunch");
}

} // namespace
