#include "power/SystemPowerManager.h"
#include "support/FakeSystemPower.h"
#include "support/LogCapture.h"
#include "support/VirtualRuntime.h"

#include <gtest/gtest.h>

using namespace tallowmere;
using namespace std::chrono_literals;
using namespace tallowmere::test;
using Allowed = FakeSystemPower::Allowed;

namespace {

constexpr std::intptr_t notificationID = 0x5151;

class SystemPowerManagerTest : public ::testing::Test {
protected:
    void SetUp() override { manager->start(); }

    VirtualRuntime runtime;
    FakeSystemPower power;
    std::shared_ptr<SystemPowerManager> manager = SystemPowerManager::create(power, runtime);
};

TEST_F(SystemPowerManagerTest, EveryHeldSleepIsAnsweredOnceByTheApplicationOrItsOwnTimeout) {
    LogCapture log;
    bool completes = true;
    manager->onWillSystemSleep = [&] {
        if (completes)
            runtime.mainAfter(3s, [this] {
                for (int i = 0; i < 16; ++i)
                    runtime.globalAsync(QoS::Default, [this] { manager->allowPendingSleep(); });
            });
    };
    power.deliver(PowerMessage::systemWillSleep, 1);
    runtime.advance(2.9s);
    EXPECT_TRUE(power.allowed().empty());
    runtime.advance(0.1s);
    EXPECT_EQ(power.allowed(), (std::vector<Allowed>{{7, 1}}));
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"SystemPowerManager: Sleep held (message 1)",
                                                     "SystemPowerManager: Sleep allowed after 3.0 s (message 1)"}));

    // The next ejects are still running when the first one's timeout comes due; the idle query is held too.
    completes = false;
    power.deliver(PowerMessage::canSystemSleep, 2);
    runtime.advance(5s);
    power.deliver(PowerMessage::systemWillSleep, 3);
    runtime.advance(6.9s);
    EXPECT_EQ(power.allowed().size(), 1u);
    runtime.advance(0.1s); // 12 s after the second arrived
    EXPECT_EQ(power.allowed(), (std::vector<Allowed>{{7, 1}, {7, 2}}));
    EXPECT_EQ(log.lines().back(), "SystemPowerManager: Sleep allowed by the 12.0 s timeout (message 2)");
    power.deliver(PowerMessage::systemWillSleep, 4);
    manager->allowPendingSleep(); // the application is done: everything held is answered, in order
    EXPECT_EQ(power.allowed(), (std::vector<Allowed>{{7, 1}, {7, 2}, {7, 3}, {7, 4}}));

    // A stop drops what is held; its timeout leaves a later sleep alone.
    power.deliver(PowerMessage::systemWillSleep, 5);
    manager->stop();
    manager->start();
    runtime.advance(6s);
    power.deliver(PowerMessage::systemWillSleep, 6);
    runtime.advance(11.9s);
    EXPECT_EQ(power.allowed().size(), 4u);
    runtime.advance(0.1s);
    EXPECT_EQ(power.allowed().back(), (Allowed{7, 6}));
    runtime.advance(30s);
    EXPECT_EQ(power.allowed().size(), 5u);
}

TEST_F(SystemPowerManagerTest, EachMessageClassFollowsItsRuleAndAZeroArgumentIsIgnored) {
    std::vector<std::string> events;
    manager->onSystemDidWake = [&] { events.push_back("wake"); };
    // Can-sleep messages are answered right after their callback.
    manager->onCanSystemSleep = [&] { events.push_back("can sleep after " + std::to_string(power.allowed().size())); };
    for (std::uint32_t code : {PowerMessage::systemWillSleep, PowerMessage::canSystemSleep,
                               PowerMessage::systemWillNotSleep, PowerMessage::systemHasPoweredOn})
        power.deliver(code, 0);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(power.allowed().empty());

    // Without a will-sleep callback there is nothing to wait for. Every powered-on code reports the wake; the
    // will-power-on notice (0xE0000320) does not.
    for (std::uint32_t code : {PowerMessage::systemWillSleep, PowerMessage::systemWillNotSleep, 0xE0000271u,
                               PowerMessage::systemHasPoweredOn, 0xE0000291u, 0xE0000272u, 0xE0000320u})
        power.deliver(code, notificationID);
    EXPECT_EQ(events, (std::vector<std::string>{"can sleep after 1", "can sleep after 2", "wake", "wake", "wake"}));
    EXPECT_EQ(power.allowed(), std::vector<Allowed>(3, {7, notificationID}));
    runtime.advance(13s);
    EXPECT_EQ(power.allowed().size(), 3u) << "no safety timeout answers again";
}

TEST_F(SystemPowerManagerTest, StartAndStopAreIdempotentAndAFailedStartCanBeRetried) {
    manager->start();
    manager->stop();
    manager->stop();
    EXPECT_FALSE(manager->isMonitoring());
    std::vector<std::string> calls{"register", "destroyNotificationPort 13", "deregister 11", "closeService 7"};
    EXPECT_EQ(power.calls(), calls);

    LogCapture log;
    power.nextRegistration = {7, 11, 0}; // no notification port
    manager->start();
    manager->stop(); // nothing to undo
    EXPECT_FALSE(manager->isMonitoring());
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{"SystemPowerManager: Failed to register for system power notifications."});
    power.nextRegistration = {7, 11, 13};
    manager->start();
    EXPECT_TRUE(manager->isMonitoring());
    calls.insert(calls.end(), 2, "register");
    EXPECT_EQ(power.calls(), calls);
}

} // namespace
