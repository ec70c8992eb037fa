#pragma once

#include "analytics/Analytics.h"
#include "app/AppCommands.h"
#include "app/UserNotifier.h"
#include "app/WindowFactory.h"
#include "disks/ExternalDiskManager.h"
#include "guard/StayAwakeController.h"
#include "platform/Platform.h"
#include "power/SystemPowerManager.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tallowmere {

// The application delegate: owner of everything that lives as long as the process, the launch sequence,
// the protection loop (eject before sleep, remount on wake), the event handlers and the user's commands.
// Main thread only, except where a step says otherwise.
class AppDelegate : public AppCommands, public std::enable_shared_from_this<AppDelegate> {
public:
    struct Dependencies {
        Platform& platform;
        std::shared_ptr<SystemPowerManager> powerManager; // the process-wide monitor
        Analytics& analytics;
        WindowFactory& windows;
        AlertPresenter& alerts;
    };
    using Completion = std::function<void()>;

    static std::shared_ptr<AppDelegate> create(Dependencies dependencies);
    ~AppDelegate() override;
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Life cycle.
    void applicationDidFinishLaunching();
    void applicationWillTerminate();

    // Event handlers.
    void handleScreenConfigurationChanged();
    void handleSessionResigned();
    void handleDisplayDidSleep();
    void handleDisplayDidWake();
    void handleScreenLocked();
    void handleScreenUnlocked();
    void handleScreensaverDidStart();
    void handleScreensaverDidStop();
    void handleVolumeDidMount();
    void handleVolumeDidUnmount();
    void handleWillSleep();
    void handleDidWake();
    void handleDefaultsChanged();

    // The protection loop.
    void performAutoEject(Completion completion);
    void beginWakeRemount();
    void remountAfterWake(int attempt);
    // The most the settings offer; a larger stored delay (or an infinite one) counts as this.
    static constexpr double longestRemountDelay = 15.0;

    // Commands.
    void ejectDisks() override;
    void ejectAndSleep() override;
    void sleepMac();
    void remountDisks() override;
    void stayAwakeForDuration(ActivationDuration duration) override;
    void toggleStayAwakeDefault() override;
    void showSettings() override;
    void showSettingsSection(SettingsSection section) override;
    void relaunchOnboarding() override;
    void setStartAtLogin(bool enabled) override;
    void checkForUpdates() override;
    void quit() override;

    // Windows, notifications, login item, updates.
    void showOnboardingWindow(bool force);
    void showPermissionPrompt(PermissionPrompt prompt);
    void runLaunchFullDiskAccessCheck();
    void postUserNotification(const std::string& title, const std::string& body);
    UpdaterController& updaterController();

    // What the menu and the windows are handed.
    const AppContext& context() const { return *m_context; }
    bool isHandlingSleepEvent() const { return m_isHandlingSleepEvent; }
    bool isHandlingWakeEvent() const { return m_isHandlingWakeEvent; }

private:
    explicit AppDelegate(Dependencies dependencies);

    // The eject run shared by `ejectDisks` and `ejectAndSleep`; `finish` gets the URLs taken offline, and whether
    // diskutil answered (when it did not, the user has been told already).
    void runEject(std::function<void(const std::vector<std::string>& urls, bool unmountWording, bool answered)> finish);
    void sleepStep();
    // At launch: brings back, once, what an earlier run took offline and did not remount.
    void remountWhatAnEarlierRunLeftOffline();
    // The wake remount's look at the remount list, unless the remount numbered `remount` gave way to an eject.
    void lookAtTheRemountList(int attempt, std::uint64_t remount);
    // The remount of the wake (or the launch) numbered `remount`: each pass announces what it brought back with
    // `remountedBody` and the names; the end clears `isHandlingWakeEvent` unless an eject took over meanwhile.
    void remountAndAnnounce(RemountPolicy policy, std::string remountedBody, std::uint64_t remount);
    // Posts what each pass brought back, `remountedBody` before the names (after a wake, half a second later, as
    // the notices of the protection loop), and names each volume given up.
    ExternalDiskManager::RemountObserver announcingEachPass(std::string remountedBody, bool afterWake);
    // Tells the user that diskutil did not answer and the volumes stayed mounted.
    ExternalDiskManager::UnansweredHandler reportDisksNotTakenOffline();
    void systemDidWake();
    void subscribe(NotificationCenter& center, const char* name, void (AppDelegate::*handler)());
    void wirePowerMonitor();
    void applyStayAwakePreference(bool enabled);
    void mirrorStayAwakeEnabled(bool active);

    Platform& m_platform;
    Runtime& m_runtime;
    AlertPresenter& m_alerts;
    WindowFactory& m_windows;
    Analytics& m_analytics;
    std::shared_ptr<UserNotifier> m_notifier;

    std::unique_ptr<AppWindow> m_onboardingWindow;
    std::unique_ptr<AppWindow> m_settingsFallbackWindow;
    std::unique_ptr<AppWindow> m_permissionPromptWindow;
    std::shared_ptr<StayAwakeController> m_stayAwakeController;
    std::shared_ptr<ExternalDiskManager> m_diskManager;
    std::shared_ptr<SystemPowerManager> m_powerManager;
    bool m_suppressStayAwakeDefaults = false;
    bool m_isHandlingSleepEvent = false;
    // Completions of sleep requests that came while an eject ran: they are answered when it ends.
    std::vector<Completion> m_sleepRequestsWaiting;
    bool m_isHandlingWakeEvent = false;
    // Raised by every eject trigger: a wake remount keeps the value it began with and gives way once it changes.
    std::uint64_t m_wakeRemount = 0;
    std::unique_ptr<UpdaterController> m_updaterController;
    std::optional<AppContext> m_context;

    // The value of `stayAwakeEnabled` the defaults observer saw last: only a change of it is a request.
    bool m_lastSeenStayAwakeEnabled = false;
    // How often the delegate wrote `stayAwakeEnabled` itself; read on the store's notifying thread.
    std::atomic<std::uint64_t> m_ownStayAwakeWrites{0};
    std::vector<std::pair<NotificationCenter*, NotificationCenter::ObserverId>> m_observers;
    std::optional<PreferenceStore::ObserverId> m_defaultsObserver;
};

} // namespace tallowmere
