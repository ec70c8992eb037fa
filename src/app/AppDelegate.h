#pragma once

#include "analytics/Analytics.h"
#include "app/AppCommands.h"
#include "app/DiskCommands.h"
#include "app/DiskNotices.h"
#include "app/GuardCommands.h"
#include "app/GuardPreferenceSync.h"
#include "app/ProtectionLoop.h"
#include "app/TriggerRouting.h"
#include "app/UserNotifier.h"
#include "app/WindowCoordinator.h"
#include "app/WindowFactory.h"
#include "disks/ExternalDiskManager.h"
#include "guard/StayAwakeController.h"
#include "platform/Platform.h"
#include "power/SystemPowerManager.h"

#include <memory>
#include <optional>

namespace tallowmere {

// The application delegate: owner of everything that lives as long as the process. It composes the parts that do
// the work (the protection loop, the trigger routing, the guard's preference sync and commands, the windows and the
// disk commands), runs the launch sequence and quits; the user's commands go to the part they belong to.
// Main thread only.
class AppDelegate : public AppCommands, public std::enable_shared_from_this<AppDelegate> {
public:
    struct Dependencies {
        Platform& platform;
        std::shared_ptr<SystemPowerManager> powerManager; // the process-wide monitor
        Analytics& analytics;
        WindowFactory& windows;
        AlertPresenter& alerts;
    };

    static std::shared_ptr<AppDelegate> create(Dependencies dependencies);
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    void applicationDidFinishLaunching();
    void applicationWillTerminate();

    void ejectDisks() override;
    void ejectAndSleep() override;
    void sleepMac();
    void remountDisks() override;
    void ejectDisksReporting(DiskCommandReport report) override;
    void remountDisksReporting(DiskCommandReport report) override;
    void toggleStayAwakeDefault() override;
    void stayAwakeForDuration(ActivationDuration duration) override;
    void showSettings() override;
    void showSettingsSection(SettingsSection section) override;
    void relaunchOnboarding() override;
    void setStartAtLogin(bool enabled) override;
    void checkForUpdates() override;
    void quit() override;

    // Created on first use; the launch creates it, which switches automatic checks on at every launch. Never
    // created on a platform without an updater.
    UpdaterController& updaterController();
    // What the menu and the windows are handed.
    const AppContext& context() const { return *m_context; }

private:
    explicit AppDelegate(Dependencies dependencies);
    // Builds the parts; the windows are handed the delegate's commands weakly, so this waits until it is shared.
    void composeParts(WindowFactory& windows);

    Platform& m_platform;
    Analytics& m_analytics;
    std::shared_ptr<SystemPowerManager> m_powerManager;
    std::shared_ptr<UserNotifier> m_notifier;
    std::shared_ptr<StayAwakeController> m_stayAwakeController;
    std::shared_ptr<ExternalDiskManager> m_diskManager;
    std::unique_ptr<UpdaterController> m_updaterController;
    std::optional<AppContext> m_context;

    // Destroyed in the reverse order: the routing, and with it every subscription, goes first.
    std::shared_ptr<DiskNotices> m_diskNotices;
    std::shared_ptr<ProtectionLoop> m_protectionLoop;
    std::shared_ptr<GuardPreferenceSync> m_guardSync;
    std::shared_ptr<GuardCommands> m_guardCommands;
    std::shared_ptr<WindowCoordinator> m_windows;
    std::shared_ptr<DiskCommands> m_diskCommands;
    std::shared_ptr<TriggerRouting> m_triggerRouting;
};

} // namespace tallowmere
