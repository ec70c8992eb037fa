#include "base/MachineTexts.h"
#include "disks/DiskManagerFixture.h"
#include "models/MenuBarModel.h"
#include "models/OnboardingTestRun.h"
#include "support/FakeApplication.h"
#include "support/GuardOnFakes.h"
#include "support/ScriptedDisks.h"

#include <set>

namespace tallowmere::test {
namespace {

// The commands the menu gives, by name and argument.
struct RecordedCommands : AppCommands {
    void ejectDisks() override { given.push_back("eject"); }
    void ejectAndSleep() override { given.push_back("eject and sleep"); }
    void remountDisks() override { given.push_back("remount"); }
    void ejectDisksReporting(DiskCommandReport) override { given.push_back("eject reporting"); }
    void remountDisksReporting(DiskCommandReport) override { given.push_back("remount reporting"); }
    void toggleStayAwakeDefault() override { given.push_back("toggle"); }
    void stayAwakeForDuration(ActivationDuration duration) override {
        given.push_back(std::string("duration ") + title(duration));
    }
    void showSettings() override { given.push_back("settings"); }
    void showSettingsSection(SettingsSection section) override {
        given.push_back(std::string("settings ") + title(section));
    }
    void relaunchOnboarding() override { given.push_back("welcome"); }
    void setStartAtLogin(bool) override { given.push_back("login item"); }
    void checkForUpdates() override { given.push_back("updates"); }
    void quit() override { given.push_back("quit"); }
    std::vector<std::string> given;
};

// A disk manager on scripted USB volumes and a guard, without an application delegate.
class ModelsOnDisksAndGuard : public DiskManagerTest {
protected:
    ~ModelsOnDisksAndGuard() override { runtime.advance(600s); }

    ScriptedDisks disks{runtime, processes, fileSystem, workspace, tools};
    FakeApplication application;
    GuardOnFakes guardOnFakes{runtime, preferences};
    std::shared_ptr<StayAwakeController> guard = guardOnFakes.guard;
    std::shared_ptr<RecordedCommands> commands = std::make_shared<RecordedCommands>();
};

enum Position { remount = 3, volumes = 4, guardItem = 6, durations = 7, settings = 9, about = 10 };

class MenuModel : public ModelsOnDisksAndGuard {
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
    MenuBarModel model{commands, {preferences, manager, guard}};
};

TEST_F(MenuModel, ItemsGiveTheirCommandsAndTheMarksFollowTheStoredDefaultAndTheGuard) {
    at(durations).children[8].action();
    at(settings).action();
    at(about).action();
    EXPECT_EQ(commands->given, (std::vector<std::string>{"duration 4 hr", "settings General", "settings About"}));

    preferences.setInteger(PreferenceKey::activationDurationIndex, 2);
    guard->activate(300);
    EXPECT_EQ(marked(durations), std::set<std::string>{"5 min"});
    EXPECT_EQ(at(guardItem).title, "Turn Quenby Guard Off");
    runtime.advance(301s); // the ended guard leaves "Off" as the default
    EXPECT_EQ(marked(durations), std::set<std::string>{"Off"});
    EXPECT_EQ(at(guardItem).title, "Turn Quenby Guard On");

    // Without the commands there is no menu to give them.
    commands.reset();
    EXPECT_TRUE(model.entries().empty());
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
    manager->setLastEjectedDisks({{"/Volumes/Gone", "disk9s1", "Gone"}});
    EXPECT_TRUE(at(remount).enabled);
    manager->remountLastEjectedDisks(RemountPolicy::persistent(), nullptr);
    runtime.advance(50s);
    EXPECT_FALSE(at(remount).enabled);
}

// What a Linux desktop cannot do is not offered, and its texts speak of a computer, each of them.
TEST_F(MenuModel, ADesktopWithoutUpdaterOrAccessPermissionIsOfferedNeitherAndItsTextsNameNoMac) {
    const PlatformFeatures desktop = PlatformFeatures::linuxDesktop("GNOME", false);
    std::vector<std::string> titles;
    for (const MenuEntry& entry : MenuBarModel(commands, {preferences, manager, guard, desktop}).entries())
        titles.push_back(entry.title);
    EXPECT_EQ(titles.size(), model.entries().size() - 1);
    EXPECT_EQ(std::ranges::count(titles, "Check for Updates…"), 0);

    EXPECT_EQ(availableSettingsSections(desktop).size(), allSettingsSections.size() - 1);
    preferences.setInteger(PreferenceKey::settingsTabIndex, static_cast<int>(SettingsSection::updates));
    EXPECT_EQ(sectionToShow(preferences, desktop), SettingsSection::general);
    EXPECT_EQ(sectionToShow(preferences, {}), SettingsSection::updates);

    EXPECT_EQ(welcomeFeatures(desktop).size(), welcomeFeatures({}).size() - 1) << "no Full Disk Access to recommend";
    for (int text = 0; text <= static_cast<int>(MachineText::welcomeTestNote); ++text) {
        const QString computer = QString::fromStdString(machineText(MachineText(text), MachineKind::computer));
        EXPECT_NE(computer.toStdString(), machineText(MachineText(text), MachineKind::mac)) << text;
        EXPECT_FALSE(computer.contains("mac", Qt::CaseInsensitive) || computer.contains("System Settings")) << text;
    }
}

class Onboarding : public ModelsOnDisksAndGuard {
protected:
    std::vector<std::string> posted;
    std::shared_ptr<OnboardingTestRun> run = OnboardingTestRun::create(
        {runtime, manager, preferences,
         [this](const std::string& title, const std::string& body) { posted.push_back(title + ": " + body); },
         application});
};

// The end-to-end test run covers the way with disks; these are the ways without.
TEST_F(Onboarding, WithoutDisksItSaysSoAndARemountWithNothingToRemountOffersTheSkip) {
    run->runTestUnmount();
    EXPECT_TRUE(run->isTestingUnmount() && !run->statusMessage() && !run->canTestUnmount());
    runtime.advance(30s);
    EXPECT_EQ(run->testStep(), 0);
    EXPECT_EQ(posted,
              std::vector<std::string>{"No External Disks: No external disks were found to unmount for the test."});

    disks.add("Backup");
    run->runTestUnmount();
    runtime.advance(30s);
    manager->setLastEjectedDisks({});
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
