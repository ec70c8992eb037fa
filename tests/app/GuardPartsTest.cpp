#include "app/GuardCommands.h"
#include "app/GuardPreferenceSync.h"
#include "base/Preferences.h"
#include "support/FakeApplication.h"
#include "support/GuardOnFakes.h"
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
    FakeApplication application;
    GuardOnFakes fakes{runtime, preferences};
    std::shared_ptr<StayAwakeController> guard = fakes.guard;
    std::shared_ptr<GuardPreferenceSync> sync = GuardPreferenceSync::create(runtime, preferences, guard);
    GuardCommands commands{preferences, application, guard};
};

TEST_F(GuardParts, ToggleAndDurationChoiceDriveTheGuardAndTheSwitchFollows) {
    commands.toggleStayAwakeDefault();
    EXPECT_TRUE(switchedOn());
    EXPECT_EQ(guard->activeUntil(), std::nullopt); // default "Off": indefinitely
    commands.toggleStayAwakeDefault();
    EXPECT_FALSE(switchedOn());
    EXPECT_EQ(fakes.assertions.created().size(), 1u);

    commands.stayAwakeForDuration(ActivationDuration::hr1);
    EXPECT_TRUE(switchedOn());
    EXPECT_EQ(preferences.integerValue(PreferenceKey::activationDurationIndex), 6);
    EXPECT_EQ(guard->activeUntil(), runtime.wallNow() + std::chrono::seconds(3600));

    commands.stayAwakeForDuration(ActivationDuration::off);
    EXPECT_FALSE(switchedOn());
    EXPECT_EQ(fakes.notifications.titles().back(), "Quenby Guard Stopped");
    const size_t notices = fakes.notifications.added().size();
    commands.stayAwakeForDuration(ActivationDuration::off); // nothing runs, so nothing stops
    runtime.runUntilIdle();
    EXPECT_EQ(fakes.notifications.added().size(), notices);
}

TEST_F(GuardParts, ExternalDisplayAndUserSwitchRulesActOnlyWhileSwitchedOn) {
    auto screens = [this](int count) {
        application.screens = count;
        commands.applyExternalDisplayRule();
        runtime.runUntilIdle();
    };
    screens(2);
    EXPECT_TRUE(fakes.assertions.created().empty()) << "the rule is off";
    EXPECT_FALSE(preferences.hasObject(PreferenceKey::stayAwakeEnabled));

    preferences.setBool(PreferenceKey::activateOnExternalDisplay, true);
    screens(2);
    EXPECT_TRUE(switchedOn());
    // The switch's write that follows the rule does not start a second activation.
    EXPECT_EQ(fakes.assertions.created().size(), 1u);

    screens(2);
    EXPECT_EQ(fakes.assertions.created().size(), 2u); // a fresh indefinite activation
    EXPECT_EQ(fakes.assertions.held().size(), 1u);

    screens(1);
    EXPECT_FALSE(switchedOn());
    EXPECT_EQ(fakes.notifications.titles().back(), "Quenby Guard Stopped");

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
