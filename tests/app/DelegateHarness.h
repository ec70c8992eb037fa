#pragma once

#include "app/AppDelegate.h"
#include "base/Preferences.h"
#include "support/FakeAlertPresenter.h"
#include "support/FakeApplication.h"
#include "support/FakeDiskArbitration.h"
#include "support/FakePowerAssertions.h"
#include "support/FakePowerSources.h"
#include "support/FakeServices.h"
#include "support/FakeSignalSender.h"
#include "support/FakeSystemPower.h"
#include "support/FakeUserNotificationCenter.h"
#include "support/FakeWindowFactory.h"
#include "support/LogCapture.h"
#include "support/MemoryPreferenceStore.h"
#include "support/ScriptedDisks.h"
#include "support/VirtualRuntime.h"

#include <gtest/gtest.h>

namespace tallowmere::test {

using namespace std::chrono_literals;

// The application delegate with every port faked, a scripted world of USB volumes and virtual time.
class DelegateTest : public ::testing::Test {
protected:
    VirtualRuntime runtime;
    MemoryPreferenceStore preferences;
    FakeProcessRunner processes;
    FakeFileSystem fileSystem;
    FakeSystemTools tools;
    FakeSystemPower systemPower;
    FakePowerAssertions assertions;
    FakePowerSources powerSources;
    FakeWorkspace workspace;
    FakeApplication application;
    FakeUserNotificationCenter notifications;
    FakeLoginItem loginItem;
    FakeUpdaterFramework updaterFramework;
    FakeBundle bundle;
    FakeDiskArbitration diskArbitration;
    Platform platform{runtime,       preferences, processes,        fileSystem, tools,
                      systemPower,   assertions,  powerSources,     workspace,  application,
                      notifications, loginItem,   updaterFramework, bundle,     diskArbitration};
    std::shared_ptr<FakeSignalSender> signalSender = std::make_shared<FakeSignalSender>();
    Analytics analytics{runtime, preferences, [this] { return signalSender; }};
    FakeWindowFactory windows;
    FakeAlertPresenter alerts;
    ScriptedDisks disks{runtime, processes, fileSystem, workspace, tools};
    LogCapture log;
    std::shared_ptr<SystemPowerManager> power = SystemPowerManager::create(systemPower, runtime);
    std::shared_ptr<AppDelegate> delegate = AppDelegate::create({platform, power, analytics, windows, alerts});

    ~DelegateTest() override {
        // Background work finishes before the fakes it uses go away.
        runtime.advance(600s);
    }

    ExternalDiskManager& diskManager() { return *delegate->context().diskManager; }
    StayAwakeController& stayAwakeController() { return *delegate->context().stayAwakeController; }

    void launch() {
        delegate->applicationDidFinishLaunching();
        runtime.runUntilIdle();
    }
    // A later launch: the launch-time keys were written by an earlier one.
    void launchAgain() {
        preferences.setBool(PreferenceKey::hasLaunchedOnce, true);
        preferences.setBool(PreferenceKey::hasCompletedOnboarding, true);
        preferences.setBool(PreferenceKey::hasCheckedFullDiskAccess, true);
        launch();
    }
    void denyFullDiskAccess() {
        std::string folder = fileSystem.homeDirectory() + "/Library/Metadata/CoreSpotlight";
        fileSystem.addDirectory(folder);
        fileSystem.setReadFailure(folder, 257);
    }
    void enableAutoEject(std::vector<std::string> triggers = {"systemSleep"}) {
        preferences.setBool(PreferenceKey::autoEjectBeforeSleep, true);
        preferences.setArray(PreferenceKey::autoEjectTriggers, toPropertyArray(triggers));
    }
    std::vector<std::string> signalNames() {
        runtime.runUntilIdle();
        std::vector<std::string> names;
        for (const auto& signal : signalSender->received())
            names.push_back(signal.name);
        return names;
    }
    int countSignals(const std::string& name) { return static_cast<int>(std::ranges::count(signalNames(), name)); }
    std::vector<NotificationRequest> posted() {
        runtime.runUntilIdle();
        return notifications.added();
    }
    bool wasPosted(const std::string& title, const std::string& body) {
        return std::ranges::any_of(posted(),
                                   [&](auto& request) { return request.title == title && request.body == body; });
    }
    int diskutilCalls(const std::string& verb) {
        return processes.count(
            [verb](const ProcessRequest& r) { return !r.arguments.empty() && r.arguments[0] == verb; });
    }
};

} // namespace tallowmere::test
