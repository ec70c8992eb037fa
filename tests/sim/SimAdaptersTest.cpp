#include "platform/LocalNotificationCenter.h"
#include "platform/sim/SimLoginItem.h"
#include "platform/sim/SimPowerAssertions.h"
#include "platform/sim/SimPowerSources.h"
#include "platform/sim/SimSystemPower.h"
#include "platform/sim/SimUpdaterFramework.h"
#include "platform/sim/SimUserNotificationCenter.h"
#include "platform/sim/SimWorkspace.h"
#include "support/VirtualRuntime.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace tallowmere;

namespace {

class SimAdaptersTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    macsim::Machine machine{dir.path().toStdString() + "/machine", "/bin/true"};
    test::VirtualRuntime runtime;
    void SetUp() override { ASSERT_TRUE(machine.prepare()); }
    void set(const std::function<void(macsim::MachineState&)>& change) {
        machine.update([&](macsim::MachineState& state) {
            change(state);
            return true;
        });
    }
};

TEST_F(SimAdaptersTest, NotificationCenterCallsObserversOfTheNameInOrder) {
    LocalNotificationCenter center;
    std::vector<std::string> calls;
    NotificationCenter::ObserverId second = 0;
    center.addObserver("a", [&] {
        calls.push_back("first");
        center.removeObserver(second); // removing during a post does not disturb it
    });
    second = center.addObserver("a", [&] { calls.push_back("second"); });
    center.addObserver("b", [&] { calls.push_back("other"); });
    center.post("a");
    center.post("a");
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "second", "first"}));
}

TEST_F(SimAdaptersTest, AuthorisationIsAskedOnceAndAnsweredByTheSimulatedUser) {
    SimUserNotificationCenter center(machine, runtime);
    set([](macsim::MachineState& state) { state.userAllowsNotifications = false; });
    std::optional<bool> granted;
    std::atomic<bool> onMain{true};
    auto request = [&] {
        center.requestAuthorization(6, [&](bool answer, UserNotificationCenter::ErrorText error) {
            onMain = runtime.isMainThread();
            EXPECT_FALSE(error);
            granted = answer;
        });
        runtime.runUntilIdle();
    };
    request();
    EXPECT_EQ(granted, false);
    EXPECT_FALSE(onMain) << "completions come from the service's own threads";
    EXPECT_EQ(machine.state().notificationAuthorization, 1);

    // Decided once: a later request does not ask again.
    set([](macsim::MachineState& state) { state.userAllowsNotifications = true; });
    request();
    EXPECT_EQ(granted, false);

    set([](macsim::MachineState& state) { state.notificationAuthorization = 3; });
    std::optional<AuthorizationStatus> status;
    center.getAuthorizationStatus([&](AuthorizationStatus value) { status = value; });
    request();
    EXPECT_EQ(status, AuthorizationStatus::provisional);
    EXPECT_EQ(granted, true);
}

struct Delegate : UserNotificationCenterDelegate {
    std::atomic<bool> onMain{false};
    test::VirtualRuntime* runtime = nullptr;
    unsigned willPresentNotification(const NotificationRequest&) override {
        onMain = runtime->isMainThread();
        return 19;
    }
};

TEST_F(SimAdaptersTest, AddedNotificationsAreRecordedAndPresentedThroughTheDelegate) {
    SimUserNotificationCenter center(machine, runtime);
    auto delegate = std::make_shared<Delegate>();
    delegate->runtime = &runtime;
    center.setDelegate(delegate);
    int completions = 0;
    center.add({"id-1", "Disks Ejected", "Successfully ejected: A, B", true}, [&](auto error) {
        EXPECT_FALSE(error);
        ++completions;
    });
    center.add({"id-2", "Second", "", true}, nullptr);
    runtime.runUntilIdle();
    EXPECT_EQ(completions, 1);
    auto posted = machine.notifications();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].body, "Successfully ejected: A, B");
    EXPECT_EQ(posted[0].presentationOptions, 19u);
    EXPECT_TRUE(delegate->onMain);

    delegate.reset(); // held weakly: no presentation once it is gone
    center.add({"id-3", "Third", "", true}, nullptr);
    runtime.runUntilIdle();
    EXPECT_FALSE(machine.notifications()[2].presentationOptions);
}

TEST_F(SimAdaptersTest, AssertionsAreHeldUntilReleasedAndPowerSourcesDescribeTheBattery) {
    SimPowerAssertions assertions(machine);
    AssertionResult first = assertions.create("PreventUserIdleSystemSleep", 255, "Tallowmere: Ejecting");
    AssertionResult second = assertions.create("PreventUserIdleDisplaySleep", 255, "Guard");
    EXPECT_EQ(first.returnCode, 0);
    EXPECT_NE(first.assertionID, second.assertionID);
    EXPECT_EQ(assertions.release(first.assertionID), 0);
    EXPECT_NE(assertions.release(first.assertionID), 0);
    ASSERT_EQ(machine.liveAssertions().size(), 1u);
    EXPECT_EQ(machine.liveAssertions()[0].name, "Guard");
    EXPECT_NE(assertions.create("", 255, "no type").returnCode, 0);

    SimPowerSources sources(machine);
    set([](macsim::MachineState& state) { state.battery = macsim::Battery{20.5, 90}; });
    auto list = sources.powerSourceDescriptions();
    ASSERT_TRUE(list && list->size() == 1u);
    const auto& battery = *(*list)[0]->as<PropertyDictionary>();
    EXPECT_EQ(*find(battery, "Type"), PropertyValue("InternalBattery"));
    EXPECT_EQ(*find(battery, "Current Capacity"), PropertyValue(20.5));
    EXPECT_EQ(*find(battery, "Max Capacity"), PropertyValue(std::int64_t(90)));
    set([](macsim::MachineState& state) {
        state.battery.reset();
        state.lowPowerMode = true;
    });
    ASSERT_TRUE(sources.powerSourceDescriptions());
    EXPECT_TRUE(sources.powerSourceDescriptions()->empty());
    EXPECT_TRUE(sources.isLowPowerModeEnabled());
}

TEST_F(SimAdaptersTest, SystemPowerAnswersOnlyItsOwnPortWithAMessageAndByItselfOnceDeregistered) {
    std::vector<std::intptr_t> answered;
    SimSystemPower power([&](std::intptr_t argument) { answered.push_back(argument); });
    int messages = 0;
    PowerRegistration registration = power.registerForSystemPower([&](std::uint32_t, std::intptr_t) { ++messages; });
    power.deliver(0xE0000280, 9);
    power.allowPowerChange(registration.rootPowerPort + 1, 9); // another port: not ours
    power.allowPowerChange(registration.rootPowerPort, 0);     // no message
    EXPECT_TRUE(answered.empty());
    power.allowPowerChange(registration.rootPowerPort, 9);
    EXPECT_EQ(answered, std::vector<std::intptr_t>{9});

    power.destroyNotificationPort(registration.notificationPort);
    power.deregisterForSystemPower(registration.notifierObject);
    power.deliver(0xE0000280, 11);
    EXPECT_EQ(messages, 1);
    EXPECT_EQ(answered, (std::vector<std::intptr_t>{9, 11}));
}

TEST_F(SimAdaptersTest, WorkspaceAnnouncesItsEjectOnTheMainQueueAndRecordsOpenedAddresses) {
    SimWorkspace workspace(machine, runtime);
    ASSERT_TRUE(machine.addVolume("Free", macsim::VolumeKind::usb, false, {}).ok);
    int unmounts = 0;
    workspace.notificationCenter().addObserver("NSWorkspaceDidUnmountNotification", [&] {
        EXPECT_TRUE(runtime.isMainThread());
        ++unmounts;
    });
    std::optional<std::string> error;
    std::thread background([&] { error = workspace.unmountAndEjectDevice("/Volumes/Free"); });
    background.join();
    EXPECT_FALSE(error);
    EXPECT_EQ(unmounts, 0) << "delivered on the main queue, not on the ejecting thread";
    runtime.runUntilIdle();
    EXPECT_EQ(unmounts, 1);

    EXPECT_TRUE(workspace.openURL("x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles"));
    EXPECT_FALSE(workspace.openURL("no scheme here"));
    EXPECT_EQ(machine.state().openedURLs.size(), 1u);
}

TEST_F(SimAdaptersTest, LoginItemAndUpdaterCallsAreRecorded) {
    SimLoginItem login(machine);
    EXPECT_FALSE(login.unregisterApp()) << "nothing to unregister yet";
    EXPECT_TRUE(login.registerApp());
    EXPECT_TRUE(machine.state().loginItemRegistered);
    EXPECT_TRUE(login.unregisterApp());
    EXPECT_FALSE(machine.state().loginItemRegistered);

    auto controller = SimUpdaterFramework(machine).makeStandardUpdaterController(true);
    ASSERT_TRUE(controller->updater());
    controller->updater()->setAutomaticallyChecksForUpdates(true);
    controller->checkForUpdates();
    controller->checkForUpdates();
    macsim::MachineState state = machine.state();
    EXPECT_EQ(state.updaterStarts, 1);
    EXPECT_TRUE(state.automaticUpdateChecks);
    EXPECT_EQ(state.updateChecks, 2);
}

} // namespace
