#include "windows/OnboardingTestRun.h"
#include "app/DelegateHarness.h"

namespace tallowmere::test {
namespace {

class AttentionCounter : public FakeApplication {
public:
    void requestUserAttention() override { ++requests; }
    std::atomic<int> requests{0};
};

class Onboarding : public DelegateTest {
protected:
    void SetUp() override {
        launchAgain();
        runtime.advance(1s);
    }
    AttentionCounter attention;
    std::shared_ptr<OnboardingTestRun> run = OnboardingTestRun::create(
        {runtime, delegate->diskManager().shared_from_this(), preferences,
         [this](const std::string& title, const std::string& body) { delegate->postUserNotification(title, body); },
         attention});
};

TEST_F(Onboarding, ForceUnmountsEveryEligibleVolumeRemountsThemAndASecondRunStartsOver) {
    disks.add("Backup");
    disks.add("Photos");
    preferences.setArray(ExternalDiskManager::allowlistKey, PropertyArray{"disk99s1"});
    run->runTestUnmount();
    EXPECT_FALSE(run->canTestUnmount() || run->canTestRemount());
    runtime.advance(5s);
    const auto& ejected = delegate->diskManager().lastEjectedDisks();
    ASSERT_EQ(ejected.size(), 2u);
    std::string names = lastPathComponent(ejected[0].url) + ", " + lastPathComponent(ejected[1].url);
    EXPECT_EQ(run->testStep(), 1);
    EXPECT_EQ(run->statusMessage(), "Successfully unmounted: " + names + ". You can now test remounting those disks.");
    EXPECT_TRUE(wasPosted("Test Disks Unmounted", "Successfully unmounted: " + names));
    EXPECT_EQ(attention.requests, 1);
    EXPECT_EQ(
        processes.count([](const ProcessRequest& r) { return r.arguments.size() == 3 && r.arguments[1] == "force"; }),
        2);
    EXPECT_TRUE(run->canTestRemount() && !run->canTestUnmount() && !run->canGetStarted());

    run->runTestRemount();
    runtime.advance(30s);
    EXPECT_EQ(disks.mountedCount(), 2);
    EXPECT_EQ(run->testStep(), 2);
    EXPECT_TRUE(run->statusMessage()->ends_with(". Tallowmere is ready to manage your disks automatically."));
    EXPECT_TRUE(wasPosted("Test Disks Remounted", "Successfully remounted: Backup, Photos") ||
                wasPosted("Test Disks Remounted", "Successfully remounted: Photos, Backup"));
    EXPECT_TRUE(run->canGetStarted() && run->canTestUnmount());

    run->runTestUnmount();
    EXPECT_EQ(run->statusMessage(), std::nullopt);
    runtime.advance(5s);
    EXPECT_EQ(run->testStep(), 1);
    EXPECT_FALSE(run->canGetStarted());
}

TEST_F(Onboarding, NoDiskFoundReturnsToTheStartAndNothingToRemountStaysAtTheRemountStep) {
    run->runTestUnmount();
    runtime.advance(5s);
    EXPECT_EQ(run->testStep(), 0);
    EXPECT_EQ(run->statusMessage(), "No external disks were found to unmount. Connect an external drive and try "
                                    "again if you’d like to see the full workflow.");
    EXPECT_TRUE(wasPosted("No External Disks", "No external disks were found to unmount for the test."));
    EXPECT_EQ(attention.requests, 1);
    run->runTestRemount();
    EXPECT_FALSE(run->isTestingRemount());

    disks.add("Backup");
    run->runTestUnmount();
    runtime.advance(5s);
    delegate->diskManager().setLastEjectedDisks({});
    run->runTestRemount();
    runtime.runUntilIdle();
    EXPECT_EQ(run->testStep(), 1);
    EXPECT_EQ(run->statusMessage(), "No previously unmounted disks were available to remount. If you’ve manually "
                                    "reconnected them, you can skip this step.");
    EXPECT_TRUE(
        wasPosted("No Disks Remounted", "No previously unmounted disks were available to remount for the test."));
    EXPECT_TRUE(run->canTestRemount() && !run->canGetStarted());
}

TEST(OnboardingWindowSize, IsAtMostAThirdOfTheVisibleFrameThenOfTheFullFrameThenOf1440By900) {
    struct Case {
        WindowSize fitting;
        std::optional<WindowSize> visible, full;
        WindowSize expected;
    };
    const Case cases[] = {
        {{500, 600}, WindowSize{1200, 800}, WindowSize{3000, 2000}, {400, 640}},
        {{300, 300}, WindowSize{2400, 1400}, std::nullopt, {420, 420}},
        {{600, 500}, std::nullopt, WindowSize{2400, 1400}, {600, 540}},
        {{600, 500}, std::nullopt, std::nullopt, {480, 540}},
    };
    for (const Case& c : cases) {
        WindowSize size = onboardingContentSize(c.fitting, c.visible, c.full);
        EXPECT_TRUE(size == c.expected) << size.width << " × " << size.height;
    }
}

} // namespace
} // namespace tallowmere::test
