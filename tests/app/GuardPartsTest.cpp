#include "app/GuardCommands.h"
#include "app/GuardPreferenceSync.h"
#include "base/Preferences.h"
#include "support/FakeApplication.h"
#include "support/FakePowerAssertions.h"
#include "support/FakePowerSources.h"
#include "support/FakeSignalSender.h"
#include "support/FakeUserNotificationCenter.h"
#include "support/MemoryPreferenceStore.h"
#include "support/VirtualRuntime.h"

#include <gtest/gtest.h>

namespace tallowmere::test {
namespace {

using namespace std::chrono_literals;

// Quenby Guard with its preference sync, its commands and its rules; no disks, windows or delegate.
class GuardParts : public ::testing::Test {
protected:
    void SetUp() override { sync->startObserving(); }
    ~GuardParts() override { runtime.advance(600s); }

    bool switchedOn() {
        runtime.runUntilIdle();
        return preferences.boolValue(PreferenceKey::stayAwakeEnabled);
    }

    VirtualRuntime runtime;
    MemoryPreferenceStore preferences;
    FakePowerAssertions assertions;
    FakePowerSources powerSources;
    FakeUserNotificationCenter notifications;
    FakeApplication application;
    std::shared_ptr<FakeSignalSender> signalSender = std::make_shared<FakeSignalSender>();
    Analytics analytics{runtime, preferences, [this] { return signalSender; }};
    std::shared_ptr<StayAwakeController> guard =
        StayAwakeController::create({runtime, preferences, assertions, powerSources, notifications, analytics});
    std::shared_ptr<GuardPreferenceSync> sync = GuardPreferenceSync::create(runtime, preferences, guard);
    GuardCommands commands{preferences, application, guard};
};

TEST_F(GuardParts, ToggleAndDurationChoiceDriveTheGuardAndTheSwitchFollows) {
    commands.toggleStayAwakeDefault();
    EXPECT_TRUE(switchedOn());
    EXPECT_EQ(guard->activeUntil(), std::nullopt); // default "Off": indefinitely
    commands.toggleStayAwakeDefault();
    EXPECT_FALSE(switchedOn());
    EXPECT_EQ(assertions.created().size(), 1u);

    commands.stayAwakeForDuration(ActivationDuration::hr1);
    EXPECT_TRUE(switchedOn());
    EXPECT_EQ(preferences.integerValue(PreferenceKey::activationDurationIndex), 6);
    EXPECT_EQ(guard->activeUntil(), runtime.wallNow() + std::chrono::seconds(3600));

    commands.stayAwakeForDuration(ActivationDuration::off);
    EXPECT_FALSE(switchedOn());
    EXPECT_EQ(notifications.titles().back(), "Quenby Guard Stopped");
    const size_t notices = notifications.added().size();
    commands.stayAwakeForDuration(ActivationDuration::off); // nothing runs, so nothing stops
    runtime.runUntilIdle();
    EXPECT_EQ(notifications.added().size(), notices);
}

TEST_F(GuardParts, ExternalDisplayAndUserSwitchRulesActOnlyWhileSwitchedOn) {
    auto screens = [this](int count) {
        application.screens = count;
        commands.applyExternalDisplayRule();
        runtime.runUntilIdle();
    };
    screens(2);
    EXPECT_TRUE(assertions.created().empty()) << "the rule is off";
    EXPECT_FALSE(preferences.hasObject(PreferenceKey::stayAwakeEnabled));

    preferences.setBool(PreferenceKey::activateOnExternalDisplay, true);
    screens(2);
    EXPECT_TRUE(switchedOn());
    // The switch's write that follows the rule does not start a second activation.
    EXPECT_EQ(assertions.created().size(), 1u);

    screens(2);
    EXPECT_EQ(assertions.created().size(), 2u); // a fresh indefinite activation
    EXPECT_EQ(assertions.held().size(), 1u);

    screens(1);
    EXPECT_FALSE(switchedOn());
    EXPECT_EQ(notifications.titles().back(), "Quenby Guard Stopped");

    // A user switch stops the guard only when asked to.
    guard->activate(std::nullopt);
    commands.applyUserSwitchRule();
    EXPECT_TRUE(switchedOn()) << "the switch follows the guard";
    preferences.setBool(PreferenceKey::deactivateOnUserSwitch, true);
    commands.applyUserSwitchRule();
    EXPECT_FALSE(switchedOn());
    EXPECT_FALSE(guard->isActive());
}

} // namespace
} // namespace tallowmere::test
