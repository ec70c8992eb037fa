#include "guard/StayAwakeController.h"
#include "base/Preferences.h"
#include "support/FakePowerAssertions.h"
#include "support/FakePowerSources.h"
#include "support/FakeSignalSender.h"
#include "support/FakeUserNotificationCenter.h"
#include "support/MemoryPreferenceStore.h"
#include "support/VirtualRuntime.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tallowmere;
using namespace tallowmere::test;
using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

namespace {

class StayAwakeControllerTest : public ::testing::Test {
protected:
    StayAwakeControllerTest() {
        QObject::connect(controller.get(), &StayAwakeController::isActiveChanged,
                         [this](bool active) { activeChanges.push_back(active); });
    }
    // Background work still holds references to the members below.
    void TearDown() override { runtime.runUntilIdle(); }

    Strings titles() const { return notifications.titles(); }
    std::string lastBody() const { return notifications.added().back().body; }
    // "action" or "action/mode" of every toggleKeepAwake signal, sorted: the deactivation and activation
    // events travel on concurrent queues, so their arrival order at the client is not fixed.
    Strings toggleSignals() {
        runtime.runUntilIdle();
        Strings result;
        for (const auto& [name, p, thread] : client->received()) {
            EXPECT_EQ(name, "toggleKeepAwake");
            result.push_back(p.at("action") + (p.contains("mode") ? "/" + p.at("mode") : ""));
        }
        std::ranges::sort(result);
        return result;
    }

    VirtualRuntime runtime;
    MemoryPreferenceStore preferences;
    FakePowerAssertions assertions;
    FakePowerSources powerSources;
    FakeUserNotificationCenter notifications;
    std::shared_ptr<FakeSignalSender> client = std::make_shared<FakeSignalSender>();
    Analytics analytics{runtime, preferences, [this] { return client; }};
    std::shared_ptr<StayAwakeController> controller =
        StayAwakeController::create({runtime, preferences, assertions, powerSources, notifications, analytics});
    std::vector<bool> activeChanges;
};

TEST_F(StayAwakeControllerTest, StateIsPublishedInTheNextTurnAndNoticesFollowTheRequest) {
    controller->activate(600);
    EXPECT_FALSE(controller->isActive()); // observers in the same turn see the previous value
    runtime.runUntilIdle();
    EXPECT_EQ(controller->activeUntil(), VirtualRuntime::wallEpoch() + 600s);
    EXPECT_EQ(assertions.created().at(0).level, 255u);
    EXPECT_EQ(lastBody(), "Tallowmere will keep your Mac awake for 10 minutes using Quenby Guard.");

    controller->deactivate(Initiator::user, Notice::post);
    EXPECT_TRUE(controller->isActive());
    EXPECT_EQ(titles(), Strings{"Quenby Guard Enabled"}); // the off notice comes from the main queue
    runtime.runUntilIdle();
    EXPECT_FALSE(controller->activeUntil());
    EXPECT_EQ(activeChanges, (std::vector<bool>{true, false}));
    EXPECT_EQ(titles().back(), "Quenby Guard Turned Off");
    EXPECT_TRUE(assertions.held().empty());

    // With nothing active there is nothing to report.
    controller->deactivate(Initiator::rule, Notice::post);
    controller->deactivate(Initiator::user, Notice::none);
    runtime.runUntilIdle();
    EXPECT_EQ(titles().size(), 2u);
    EXPECT_EQ(lastBody(), "Quenby Guard is no longer keeping your Mac awake.");
    EXPECT_EQ(toggleSignals(), (Strings{"activate/timed", "deactivate"}));

    // Every notice is a new one, with sound.
    controller->activate(std::nullopt);
    EXPECT_EQ(lastBody(), "Tallowmere will keep your Mac awake using Quenby Guard.");
    auto added = notifications.added();
    EXPECT_NE(added[0].identifier, added.back().identifier);
    EXPECT_TRUE(added[0].defaultSound && added.back().defaultSound);
}

TEST_F(StayAwakeControllerTest, ReactivatingRestartsQuietlyAndATimedSessionEndsOnItsOwn) {
    preferences.setInteger(PreferenceKey::activationDurationIndex, 2);
    preferences.setBool(PreferenceKey::stayAwakeEnabled, true);
    controller->activate(std::nullopt);
    runtime.advance(10s);
    controller->activate(300);
    runtime.runUntilIdle();
    EXPECT_EQ(titles(), (Strings{"Quenby Guard Enabled", "Quenby Guard Enabled"}));
    EXPECT_EQ(lastBody(), "Tallowmere will keep your Mac awake for 5 minutes using Quenby Guard.");
    EXPECT_EQ(assertions.held(), (std::map<std::uint32_t, std::string>{{102, "PreventUserIdleDisplaySleep"}}));
    EXPECT_EQ(toggleSignals(), (Strings{"activate/indefinite", "activate/timed", "deactivate"}));
    EXPECT_EQ(controller->activeUntil(), VirtualRuntime::wallEpoch() + 10s + 300s);
    // The reset and the new state are published in the order their work items were queued.
    EXPECT_EQ(activeChanges, (std::vector<bool>{true, false, true}));

    runtime.advance(299s);
    EXPECT_TRUE(controller->isActive());
    EXPECT_EQ(preferences.integerValue(PreferenceKey::activationDurationIndex), 2);
    runtime.advance(1s);
    EXPECT_FALSE(controller->isActive());
    EXPECT_EQ(titles().back(), "Quenby Guard Session Finished");
    EXPECT_EQ(lastBody(), "Tallowmere finished Quenby Guard for 5 minutes.");
    EXPECT_EQ(preferences.integerValue(PreferenceKey::activationDurationIndex), 0);
    EXPECT_TRUE(preferences.boolValue(PreferenceKey::stayAwakeEnabled)); // left to the application
    EXPECT_EQ(toggleSignals(), (Strings{"activate/indefinite", "activate/timed", "deactivate", "deactivate"}));

    // A new activation replaces the timer: a timed session switched to indefinite never ends by itself.
    controller->activate(600);
    controller->activate(std::nullopt);
    runtime.advance(2h);
    EXPECT_TRUE(controller->isActive());
    EXPECT_FALSE(controller->activeUntil());
    EXPECT_EQ(std::ranges::count(titles(), "Quenby Guard Session Finished"), 1);
}

TEST_F(StayAwakeControllerTest, AnEndTimerActsOnlyForTheSessionThatArmedIt) {
    controller->activate(300);
    // A new request is already queued when the old session's timer fires, so it runs before the timer's work.
    runtime.mainAfter(300s, [this] { controller->activate(3600); });
    runtime.advance(300s);
    EXPECT_TRUE(controller->isActive());
    EXPECT_EQ(titles(), (Strings{"Quenby Guard Enabled", "Quenby Guard Enabled"}));
    runtime.advance(3600s);
    EXPECT_FALSE(controller->isActive());
    EXPECT_EQ(lastBody(), "Tallowmere finished Quenby Guard for 1 hour.");
}

TEST_F(StayAwakeControllerTest, AFailedAssertionPublishesInactiveButATimedRequestStillEnds) {
    powerSources.lowPowerMode = true;
    preferences.setBool(PreferenceKey::disableOnLowPower, true);

    assertions.failNextWith({0, 0}); // success without an identifier counts as failure
    controller->activate(std::nullopt);
    runtime.advance(2min); // no battery monitoring either
    EXPECT_FALSE(controller->isActive());
    EXPECT_TRUE(titles().empty());
    EXPECT_EQ(toggleSignals(), Strings{"activate/indefinite"});

    assertions.failNextWith({-536870199, 0});
    controller->activate(90);
    runtime.runUntilIdle();
    EXPECT_FALSE(controller->isActive());
    EXPECT_EQ(controller->activeUntil(), VirtualRuntime::wallEpoch() + 2min + 90s);
    runtime.advance(90s);
    EXPECT_EQ(titles(), Strings{"Quenby Guard Session Finished"});
    EXPECT_EQ(lastBody(), "Tallowmere finished Quenby Guard for 1 minute.");
}

TEST_F(StayAwakeControllerTest, EachBatteryRuleActsOnlyWhileSwitchedOnAndLowPowerModeWinsOverTheChargeAtTheCap) {
    powerSources.setBatteryPercent(1);
    powerSources.lowPowerMode = true;
    preferences.setDouble(PreferenceKey::batteryCap, 0);
    controller->activate(std::nullopt);
    runtime.advance(3min);                      // no cap, Low Power Mode rule off
    powerSources.setDescriptions(std::nullopt); // a cap, but no battery information
    preferences.setDouble(PreferenceKey::batteryCap, 50);
    runtime.advance(3min);
    EXPECT_TRUE(controller->isActive());
    EXPECT_EQ(titles(), Strings{"Quenby Guard Enabled"});

    // Read at the next tick, which a new activation moves to a minute after it.
    preferences.setBool(PreferenceKey::disableOnLowPower, true);
    powerSources.setBatteryPercent(10);
    runtime.advance(30s);
    controller->activate(std::nullopt);
    const int queries = powerSources.queries;
    runtime.advance(59s);
    EXPECT_TRUE(controller->isActive());
    runtime.advance(1s);
    EXPECT_FALSE(controller->isActive());
    EXPECT_EQ(titles().back(), "Quenby Guard Stopped");
    EXPECT_EQ(powerSources.queries, queries); // the charge was not consulted in that tick

    // The charge rule stops at the cap, not only below it, from the first tick a minute after activation.
    powerSources.lowPowerMode = false;
    powerSources.setBatteryPercent(50.5);
    controller->activate(std::nullopt);
    runtime.advance(5min);
    EXPECT_TRUE(controller->isActive());
    EXPECT_EQ(powerSources.queries, queries + 5);
    powerSources.setBatteryPercent(50.0);
    runtime.advance(59.9s);
    EXPECT_TRUE(controller->isActive());
    runtime.advance(0.1s);
    EXPECT_FALSE(controller->isActive());
    runtime.advance(10min); // the timer went with the activation
    EXPECT_EQ(powerSources.queries, queries + 6);

    // Without a stored threshold the rule stops at the 20 % the Battery page shows.
    preferences.removeObject(PreferenceKey::batteryCap);
    powerSources.setBatteryPercent(20);
    controller->activate(std::nullopt);
    runtime.advance(1min);
    EXPECT_FALSE(controller->isActive());
}

TEST_F(StayAwakeControllerTest, ADestroyedControllerIsNeverCalledByItsTimersOrQueuedWork) {
    preferences.setBool(PreferenceKey::disableOnLowPower, true);
    powerSources.lowPowerMode = true;
    preferences.setInteger(PreferenceKey::activationDurationIndex, 2);
    controller->activate(300);
    controller->deactivate(Initiator::rule, Notice::post); // its notice is still queued
    controller->activate(300);
    controller.reset();
    runtime.advance(10min);
    EXPECT_EQ(titles(), (Strings{"Quenby Guard Enabled", "Quenby Guard Enabled"}));
    EXPECT_EQ(preferences.integerValue(PreferenceKey::activationDurationIndex), 2);
    EXPECT_EQ(assertions.held().size(), 1u); // not released by destruction
}

} // namespace
