#include "app/DelegateHarness.h"
#include "models/MenuBarModel.h"
#include "models/OnboardingTestRun.h"

#include <set>

namespace tallowmere::test {
namespace {

enum Position { remount = 3, volumes = 4, guard = 6, durations = 7 };

class MenuModel : public DelegateTest {
protected:
    MenuEntry at(Position position) {
        runtime.runUntilIdle();
        return model.entries().at(position);
    }
    std::set<std::string> marked(Position submenu) {
        std::set<std::string> titles;
        for (const MenuEntry& entry : at(submenu).children)
            if (entry.checked)
                titles.insert(entry.title);
        return titles;
    }
    MenuBarModel model{delegate};
};

TEST_F(MenuModel, OffIsMarkedWhenATimedGuardEndsAndFourHoursRestartsAGuardOnForOne) {
    at(durations).children[2].action(); // "5 min"
    EXPECT_EQ(at(guard).title, "Turn Quenby Guard Off");
    runtime.advance(301s);
    EXPECT_EQ(marked(durations), std::set<std::string>{"Off"});
    EXPECT_EQ(at(guard).title, "Turn Quenby Guard On");

    at(durations).children[6].action(); // "1 hr", then "4 hr"
    at(durations).children[8].action();
    EXPECT_EQ(marked(durations), std::set<std::string>{"4 hr"});
    EXPECT_EQ(delegate->stayAwakeController().activeUntil(), runtime.wallNow() + std::chrono::seconds(14400));
}

TEST_F(MenuModel, VolumesAreListedByNameOnOneLineWithALongNameCutInTheMiddle) {
    const std::string longName = "Photos " + std::string(230, 'x') + " 2026";
    for (const std::string& name : {std::string("beta"), std::string("Tab\there"), longName, std::string("Tom & Co")})
        disks.add(name);
    model.menuWillOpen();
    runtime.advance(5s);
    std::vector<std::string> titles;
    for (const MenuEntry& entry : at(volumes).children)
        titles.push_back(entry.title);
    const std::string cut = longName.substr(0, 25) + "…" + longName.substr(longName.size() - 24);
    EXPECT_EQ(titles, (std::vector<std::string>{"beta", cut, "Tab here", "Tom & Co", "", "Force unmount when busy"}));
    EXPECT_EQ(at(volumes).children[1].toolTip, longName);
    EXPECT_EQ(at(volumes).children[0].toolTip, "");
}

// A second remount while the first one's retries run would repeat them and report twice.
TEST_F(MenuModel, RemountIsDisabledWhileARemountRuns) {
    delegate->diskManager().setLastEjectedDisks({{"/Volumes/Gone", "disk9s1", "Gone"}});
    at(remount).action();
    runtime.advance(50s);
    EXPECT_FALSE(at(remount).enabled);
}

class Onboarding : public DelegateTest {
protected:
    std::shared_ptr<OnboardingTestRun> run =
        OnboardingTestRun::create({runtime, delegate->diskManager().shared_from_this(), preferences,
                                   std::bind_front(&AppDelegate::postUserNotification, delegate.get()), application});
};

// The end-to-end test run covers the way with disks; these are the ways without.
TEST_F(Onboarding, WithoutDisksItSaysSoAndARemountWithNothingToRemountOffersTheSkip) {
    run->runTestUnmount();
    EXPECT_TRUE(run->isTestingUnmount() && !run->statusMessage() && !run->canTestUnmount());
    runtime.advance(30s);
    EXPECT_EQ(run->testStep(), 0);
    EXPECT_TRUE(wasPosted("No External Disks", "No external disks were found to unmount for the test."));

    disks.add("Backup");
    run->runTestUnmount();
    runtime.advance(30s);
    delegate->diskManager().setLastEjectedDisks({});
    run->runTestRemount();
    runtime.runUntilIdle();
    EXPECT_TRUE(run->testStep() == 1 && run->canTestRemount());
    EXPECT_EQ(run->statusMessage(), "No previously unmounted disks were available to remount. If you’ve manually "
                                    "reconnected them, you can skip this step.");
}

TEST(OnboardingWindowSize, AThirdOfTheScreenButNeverNarrowerThanItsContentNorTallerThanTheVisibleFrame) {
    EXPECT_EQ(onboardingContentSize({500, 600}, 0, WindowSize{1200, 800}, WindowSize{3000, 2000}),
              (WindowSize{420, 640}));
    EXPECT_EQ(onboardingContentSize({300, 300}, 0, WindowSize{2400, 1400}, {}), (WindowSize{420, 420}));
    EXPECT_EQ(onboardingContentSize({600, 500}, 0, {}, WindowSize{2400, 1400}), (WindowSize{600, 540}));
    EXPECT_EQ(onboardingContentSize({600, 500}, 0, {}, {}), (WindowSize{480, 540}));
    // 1024 × 640 under a menu bar: the content needs 450 points, the title bar takes 28.
    EXPECT_EQ(onboardingContentSize({500, 900}, 450, WindowSize{1024, 616}, {}), (WindowSize{450, 588}));
}

} // namespace
} // namespace tallowmere::test
