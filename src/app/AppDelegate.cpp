#include "app/AppDelegate.h"

#include "base/Preferences.h"
#include "disks/FullDiskAccess.h"
#include "guard/ActivationDuration.h"
#include "platform/Log.h"

#include <algorithm>
#include <utility>

namespace tallowmere {
namespace {

constexpr const char* sleepAssertionName = "Tallowmere: Ejecting external disks before sleep";

std::string joinedPaths(const std::vector<std::string>& urls) {
    std::string paths;
    for (const std::string& url : urls) {
        if (!paths.empty())
            paths += ", ";
        paths += url;
    }
    return paths;
}

const std::vector<DiskType> everyDiskType(allDiskTypes.begin(), allDiskTypes.end());

} // namespace

std::shared_ptr<AppDelegate> AppDelegate::create(Dependencies dependencies) {
    std::shared_ptr<AppDelegate> delegate(new AppDelegate(dependencies));
    delegate->m_context.emplace(AppContext{delegate->m_platform, delegate->m_diskManager,
                                           delegate->m_stayAwakeController, delegate->m_notifier,
                                           [weak = std::weak_ptr(delegate)]() -> Updater* {
                                               auto self = weak.lock();
                                               return self ? self->updaterController().updater() : nullptr;
                                           },
                                           delegate});
    StayAwakeController* guard = delegate->m_stayAwakeController.get();
    QObject::connect(guard, &StayAwakeController::isActiveChanged, guard,
                     [weak = std::weak_ptr(delegate)](bool active) {
                         if (auto self = weak.lock())
                             self->mirrorStayAwakeEnabled(active);
                     });
    return delegate;
}

AppDelegate::AppDelegate(Dependencies dependencies)
    : m_platform(dependencies.platform)
    , m_runtime(dependencies.platform.runtime)
    , m_alerts(dependencies.alerts)
    , m_windows(dependencies.windows)
    , m_analytics(dependencies.analytics)
    , m_notifier(std::make_shared<UserNotifier>(m_runtime, m_platform.notifications, m_platform.workspace, m_alerts))
    , m_stayAwakeController(
          StayAwakeController::create({m_runtime, m_platform.preferences, m_platform.assertions,
                                       m_platform.powerSources, m_platform.notifications, m_analytics}))
    , m_diskManager(
          ExternalDiskManager::create({m_runtime, m_platform.preferences, m_platform.processes, m_platform.fileSystem,
                                       m_platform.tools, m_platform.workspace, m_platform.diskArbitration}))
    , m_powerManager(std::move(dependencies.powerManager)) {}

AppDelegate::~AppDelegate() {
    for (auto [center, id] : m_observers)
        center->removeObserver(id);
    if (m_defaultsObserver)
        m_platform.preferences.removeObserver(*m_defaultsObserver);
}

// MARK: - Life cycle

void AppDelegate::applicationDidFinishLaunching() {
    PreferenceStore& defaults = m_platform.preferences;

    m_analytics.track(AnalyticsEvent::appLaunched);
    updaterController();

    bool firstLaunch = !defaults.boolValue(PreferenceKey::hasLaunchedOnce);
    if (firstLaunch) {
        defaults.setBool(PreferenceKey::hasLaunchedOnce, true);
        m_analytics.track(AnalyticsEvent::firstLaunch);
        if (!defaults.hasObject(PreferenceKey::startAtLogin))
            defaults.setBool(PreferenceKey::startAtLogin, true);
        m_notifier->postReadyNotification();
    }

    logLine(LogCategory::app(), "Tallowmere: Scheduling Full Disk Access check on launch");
    m_runtime.mainAfter(Seconds(1.0), weakly(shared_from_this(), [](AppDelegate& self) {
                            logLine(LogCategory::app(), "Tallowmere: Executing Full Disk Access check now");
                            self.runLaunchFullDiskAccessCheck();
                        }));

    m_notifier->presentNotificationsInForeground();
    m_notifier->requestAuthorization();

    setStartAtLogin(boolPreference(defaults, PreferenceKey::startAtLogin));

    // Nothing keeps the computer awake at launch, whatever the switch said when the last run ended.
    if (defaults.boolValue(PreferenceKey::stayAwakeEnabled))
        mirrorStayAwakeEnabled(false);
    if (defaults.boolValue(PreferenceKey::activateStayAwakeOnLaunch)) {
        if (auto duration = defaultStayAwakeDuration(defaults))
            m_stayAwakeController->activate(duration);
    }
    if (defaults.boolValue(PreferenceKey::activateAutoEjectOnLaunch))
        defaults.setBool(PreferenceKey::autoEjectBeforeSleep, true);
    if (!defaults.hasObject(PreferenceKey::autoEjectRemountDelaySeconds))
        defaults.setDouble(PreferenceKey::autoEjectRemountDelaySeconds, 3.0);
    if (!defaults.hasObject(PreferenceKey::autoEjectTriggers))
        defaults.setArray(PreferenceKey::autoEjectTriggers, PropertyArray{"systemSleep"});

    if (firstLaunch) {
        m_runtime.globalAsync(QoS::Utility, [self = shared_from_this()] {
            self->m_diskManager->externalVolumeURLs(enabledDiskTypes(self->m_platform.preferences));
        });
    }

    m_platform.application.setAccessoryActivationPolicy();

    NotificationCenter& workspace = m_platform.workspace.notificationCenter();
    NotificationCenter& distributed = m_platform.application.distributedCenter();
    subscribe(m_platform.application.defaultCenter(), NotificationName::screenParametersChanged,
              &AppDelegate::handleScreenConfigurationChanged);
    subscribe(workspace, NotificationName::sessionDidResignActive, &AppDelegate::handleSessionResigned);
    subscribe(workspace, NotificationName::willSleep, &AppDelegate::handleWillSleep);
    subscribe(workspace, NotificationName::didWake, &AppDelegate::handleDidWake);
    subscribe(workspace, NotificationName::didMount, &AppDelegate::handleVolumeDidMount);
    subscribe(workspace, NotificationName::didUnmount, &AppDelegate::handleVolumeDidUnmount);
    subscribe(workspace, NotificationName::screensDidSleep, &AppDelegate::handleDisplayDidSleep);
    subscribe(workspace, NotificationName::screensDidWake, &AppDelegate::handleDisplayDidWake);
    subscribe(distributed, NotificationName::screensaverDidStart, &AppDelegate::handleScreensaverDidStart);
    subscribe(distributed, NotificationName::screensaverDidStop, &AppDelegate::handleScreensaverDidStop);
    subscribe(distributed, NotificationName::screenIsLocked, &AppDelegate::handleScreenLocked);
    subscribe(distributed, NotificationName::screenIsUnlocked, &AppDelegate::handleScreenUnlocked);

    wirePowerMonitor();
    remountWhatAnEarlierRunLeftOffline();

    m_lastSeenStayAwakeEnabled = defaults.boolValue(PreferenceKey::stayAwakeEnabled);
    m_defaultsObserver = defaults.addObserver([weak = weak_from_this()] {
        if (auto self = weak.lock())
            self->handleDefaultsChanged();
    });

    showOnboardingWindow(false);
}

void AppDelegate::applicationWillTerminate() {
    m_powerManager->stop();
}

void AppDelegate::subscribe(NotificationCenter& center, const char* name, void (AppDelegate::*handler)()) {
    auto id = center.addObserver(name, weakly(shared_from_this(), [handler](AppDelegate& self) { (self.*handler)(); }));
    m_observers.emplace_back(&center, id);
}

void AppDelegate::wirePowerMonitor() {
    std::weak_ptr<AppDelegate> weak = weak_from_this();
    std::weak_ptr<SystemPowerManager> monitor = m_powerManager;
    m_powerManager->onCanSystemSleep = [] {};
    m_powerManager->onWillSystemSleep = [weak, monitor] {
        if (auto self = weak.lock())
            self->performAutoEject([monitor] {
                if (auto power = monitor.lock())
                    power->allowPendingSleep();
            });
    };
    m_powerManager->onSystemDidWake = [weak] {
        if (auto self = weak.lock())
            self->systemDidWake();
    };
    m_powerManager->start();
}

// MARK: - Event handlers

void AppDelegate::handleWillSleep() {
    if (loadAutoEjectTriggers(m_platform.preferences).contains(AutoEjectTrigger::systemSleep))
        performAutoEject(nullptr);
}

void AppDelegate::handleDisplayDidSleep() {
    if (loadAutoEjectTriggers(m_platform.preferences).contains(AutoEjectTrigger::displaySleep))
        performAutoEject(nullptr);
}

void AppDelegate::handleScreenLocked() {
    if (loadAutoEjectTriggers(m_platform.preferences).contains(AutoEjectTrigger::screenLocked))
        performAutoEject(nullptr);
}

void AppDelegate::handleScreensaverDidStart() {
    if (loadAutoEjectTriggers(m_platform.preferences).contains(AutoEjectTrigger::screensaver))
        performAutoEject(nullptr);
}

void AppDelegate::handleDidWake() {
    systemDidWake();
}

void AppDelegate::systemDidWake() {
    m_stayAwakeController->systemDidWake();
    beginWakeRemount();
}

void AppDelegate::handleDisplayDidWake() {
    if (loadAutoEjectTriggers(m_platform.preferences).contains(AutoEjectTrigger::displaySleep))
        beginWakeRemount();
}

void AppDelegate::handleScreenUnlocked() {
    if (loadAutoEjectTriggers(m_platform.preferences).contains(AutoEjectTrigger::screenLocked))
        beginWakeRemount();
}

void AppDelegate::handleScreensaverDidStop() {
    if (loadAutoEjectTriggers(m_platform.preferences).contains(AutoEjectTrigger::screensaver))
        beginWakeRemount();
}

void AppDelegate::handleScreenConfigurationChanged() {
    if (!m_platform.preferences.boolValue(PreferenceKey::activateOnExternalDisplay))
        return;
    if (m_platform.application.screenCount() >= 2)
        m_stayAwakeController->activate(std::nullopt);
    else
        m_stayAwakeController->deactivate(Initiator::rule, Notice::post);
}

void AppDelegate::handleSessionResigned() {
    if (m_platform.preferences.boolValue(PreferenceKey::deactivateOnUserSwitch))
        m_stayAwakeController->deactivate(Initiator::rule, Notice::post);
}

void AppDelegate::handleVolumeDidMount() {
    m_diskManager->refreshVolumeSelections(everyDiskType);
}

void AppDelegate::handleVolumeDidUnmount() {
    m_diskManager->refreshVolumeSelections(everyDiskType);
}

// The store notifies on the thread that wrote. The value is taken at once, as the notification saw it; a write
// the delegate makes itself under `suppressStayAwakeDefaults` (on the main thread, in the writer's turn) is
// only remembered. Every other change is acted on in a later main-queue turn, after the controller has
// published what it did in this one, so a writer that has just activated or deactivated the guard (the
// external-display rule, the duration command) is not taken for a second request.
void AppDelegate::handleDefaultsChanged() {
    bool enabled = m_platform.preferences.boolValue(PreferenceKey::stayAwakeEnabled);
    if (m_runtime.isMainThread() && m_suppressStayAwakeDefaults) {
        m_lastSeenStayAwakeEnabled = enabled;
        ++m_ownStayAwakeWrites;
        return;
    }
    const std::uint64_t ownWrites = m_ownStayAwakeWrites;
    m_runtime.mainAsync(weakly(shared_from_this(), [enabled, ownWrites](AppDelegate& self) {
        // A value seen before the delegate's own later write of the key is stale: acting on it would undo the
        // guard the user just switched.
        if (ownWrites == self.m_ownStayAwakeWrites)
            self.applyStayAwakePreference(enabled);
    }));
}

void AppDelegate::applyStayAwakePreference(bool enabled) {
    // Only a change of the stored value is a request: writes of unrelated keys (the seen-volume list on
    // every mount) must not restart a guard that its timer or a battery rule has ended.
    if (enabled == m_lastSeenStayAwakeEnabled)
        return;
    m_lastSeenStayAwakeEnabled = enabled;
    if (enabled && !m_stayAwakeController->isActive())
        m_stayAwakeController->activate(defaultStayAwakeDuration(m_platform.preferences));
    else if (!enabled && m_stayAwakeController->isActive())
        m_stayAwakeController->deactivate(Initiator::user, Notice::post);
}

// MARK: - The protection loop

void AppDelegate::performAutoEject(Completion completion) {
    PreferenceStore& defaults = m_platform.preferences;
    // A remount a wake scheduled gives way: what it brought back now would stay mounted through this event.
    if (defaults.boolValue(PreferenceKey::autoEjectBeforeSleep)) {
        ++m_wakeRemount;
        m_isHandlingWakeEvent = false;
    }
    // A sleep that follows a lock or a display sleep (a lid being closed) must not go ahead while the eject they
    // started still takes the volumes offline.
    if (m_isHandlingSleepEvent) {
        if (completion)
            m_sleepRequestsWaiting.push_back(std::move(completion));
        return;
    }
    m_isHandlingSleepEvent = true;
    if (!defaults.boolValue(PreferenceKey::autoEjectBeforeSleep)) {
        m_isHandlingSleepEvent = false;
        if (completion)
            completion();
        return;
    }
    std::vector<DiskType> types = enabledDiskTypes(defaults);
    bool force = defaults.boolValue(PreferenceKey::forceUnmountEnabled);
    AssertionResult assertion =
        m_platform.assertions.create(AssertionType::preventUserIdleSystemSleep, assertionLevelOn, sleepAssertionName);
    std::uint32_t assertionID = assertion.assertionID;

    m_runtime.globalAsync(QoS::UserInitiated, [weak = weak_from_this(), types, force, assertionID,
                                               completion = std::move(completion), &runtime = m_runtime,
                                               &assertions = m_platform.assertions] {
        auto self = weak.lock();
        if (!self) {
            if (assertionID != 0)
                assertions.release(assertionID);
            if (completion)
                completion();
            return;
        }
        auto semaphore = runtime.makeSemaphore(0);
        auto result = std::make_shared<std::vector<std::string>>();
        // The batch may finish after the wait below gave up; what it reports then must not reach a
        // semaphore or list that is gone.
        std::shared_ptr<Semaphore> signal = std::move(semaphore);
        self->m_diskManager->ejectExternalDisks(
            types, {.force = force, .onlyAllowed = true},
            [result, signal](std::vector<std::string> urls) {
                *result = std::move(urls);
                signal->signal();
            },
            self->reportDisksNotTakenOffline());
        bool finished = signal->wait(Seconds(10));
        if (assertionID != 0)
            assertions.release(assertionID);
        runtime.mainAsync([self, result = finished ? *result : std::vector<std::string>{}, completion] {
            self->m_isHandlingSleepEvent = false;
            if (!result.empty())
                self->m_analytics.track(AnalyticsEvent::autoEjectPerformed,
                                        {{"drivesEjected", static_cast<std::int64_t>(result.size())}});
            if (completion)
                completion();
            for (const Completion& waiting : std::exchange(self->m_sleepRequestsWaiting, {}))
                waiting();
        });
    });
}

void AppDelegate::beginWakeRemount() {
    if (m_isHandlingWakeEvent)
        return;
    m_isHandlingWakeEvent = true;
    if (!m_platform.preferences.boolValue(PreferenceKey::autoEjectBeforeSleep)) {
        m_isHandlingWakeEvent = false;
        return;
    }
    remountAfterWake(0);
}

void AppDelegate::remountAfterWake(int attempt) {
    double configured = doublePreference(m_platform.preferences, PreferenceKey::autoEjectRemountDelaySeconds);
    // A delay nobody could mean (1e308, infinity) would keep the volumes offline for good.
    double delay = attempt == 0 ? (configured > 0 ? std::min(configured, longestRemountDelay) : 3.0) : 2.0;
    m_runtime.mainAfter(Seconds(delay),
                        weakly(shared_from_this(), [attempt, remount = m_wakeRemount](AppDelegate& self) {
                            self.lookAtTheRemountList(attempt, remount);
                        }));
}

void AppDelegate::lookAtTheRemountList(int attempt, std::uint64_t remount) {
    if (remount != m_wakeRemount)
        return; // it gave way to an eject
    // What an eject that began before the wake is still taking offline comes back with the rest.
    if (m_isHandlingSleepEvent || m_diskManager->isTakingVolumesOffline()) {
        m_runtime.mainAfter(Seconds(2.0), weakly(shared_from_this(), [attempt, remount](AppDelegate& self) {
                                self.lookAtTheRemountList(attempt, remount);
                            }));
        return;
    }
    if (!m_diskManager->lastEjectedDisks().empty())
        remountAndAnnounce(RemountPolicy::persistent(), "Successfully remounted after wake: ", remount);
    else if (attempt < 5)
        remountAfterWake(attempt + 1);
    else
        m_isHandlingWakeEvent = false;
}

void AppDelegate::remountAndAnnounce(RemountPolicy policy, std::string remountedBody, std::uint64_t remount) {
    std::weak_ptr<AppDelegate> weak = weak_from_this();
    ExternalDiskManager::RemountObserver observer = announcingEachPass(std::move(remountedBody), true);
    observer.isWanted = [weak, remount] {
        auto self = weak.lock();
        return self && self->m_wakeRemount == remount;
    };
    m_diskManager->remountLastEjectedDisks(
        policy,
        [weak, remount](std::vector<std::string>) {
            auto self = weak.lock();
            if (self && self->m_wakeRemount == remount)
                self->m_isHandlingWakeEvent = false;
        },
        observer);
}

ExternalDiskManager::RemountObserver AppDelegate::announcingEachPass(std::string remountedBody, bool afterWake) {
    ExternalDiskManager::RemountObserver observer;
    // What came back is announced as its pass ends, not after the retries for a volume that stays away.
    observer.passEnded = [weak = weak_from_this(), remountedBody,
                          afterWake](const ExternalDiskManager::RemountPass& pass) {
        auto self = weak.lock();
        if (!self)
            return;
        if (!pass.remounted.empty()) {
            std::string body = remountedBody + joinedVolumeNames(pass.remounted);
            if (afterWake) {
                self->m_notifier->presentNotificationsInForeground();
                self->m_runtime.mainAfter(Seconds(0.5),
                                          [self, body] { self->postUserNotification("Disks Remounted", body); });
            } else {
                self->postUserNotification("Disks Remounted", body);
            }
        }
        for (const EjectedDiskInfo& disk : pass.givenUp)
            self->postUserNotification("Disk Not Remounted",
                                       disk.volumeName + " could not be remounted; it may have been unplugged.");
    };
    return observer;
}

ExternalDiskManager::UnansweredHandler AppDelegate::reportDisksNotTakenOffline() {
    return [weak = weak_from_this(), &runtime = m_runtime](int) {
        runtime.mainAsync([weak] {
            if (auto self = weak.lock())
                self->postUserNotification("Disks Not Taken Offline",
                                           "The disk service did not answer, so your external disks are still "
                                           "mounted. Eject them before you disconnect them.");
        });
    };
}

void AppDelegate::remountWhatAnEarlierRunLeftOffline() {
    // The remount list is kept on disk: a run killed during a sleep's unmount or quit during the remount delay
    // left volumes offline that only this run can bring back. One pass, as the wake's; a wake meanwhile waits.
    if (m_diskManager->restoreEjectedDisks().empty())
        return;
    m_isHandlingWakeEvent = true;
    remountAndAnnounce(RemountPolicy::onePass(), "Successfully remounted after restart: ", m_wakeRemount);
}

// MARK: - Commands

void AppDelegate::ejectDisks() {
    auto eject = [weak = weak_from_this()] {
        if (auto self = weak.lock())
            self->runEject([weak](const std::vector<std::string>& urls, bool unmountWording, bool answered) {
                auto self = weak.lock();
                if (!self)
                    return;
                self->m_runtime.mainAsync([self, urls, unmountWording, answered] {
                    if (!urls.empty())
                        self->postUserNotification(
                            unmountWording ? "Disks Unmounted" : "Disks Ejected",
                            (unmountWording ? "Successfully unmounted: " : "Successfully ejected: ") +
                                joinedVolumeNames(urls));
                    else if (answered)
                        self->postUserNotification("No External Disks", unmountWording
                                                                            ? "No external disks were found to unmount."
                                                                            : "No external disks were found to eject.");
                });
            });
    };
    if (checkFullDiskAccess(m_platform.fileSystem, m_platform.processes, m_platform.tools)) {
        eject();
        return;
    }
    m_runtime.mainAsync(weakly(shared_from_this(), [eject](AppDelegate& self) {
        self.showPermissionPrompt(
            {"Full Disk Access Recommended",
             "Tallowmere may not be able to reliably eject all external drives without Full Disk Access. Some "
             "operations may fail.\n\nWould you like to grant Full Disk Access now?",
             "Open System Settings", "Continue Anyway",
             [&workspace = self.m_platform.workspace] { openFullDiskAccessSettings(workspace); }, eject});
    }));
}

void AppDelegate::runEject(std::function<void(const std::vector<std::string>&, bool, bool)> finish) {
    PreferenceStore& defaults = m_platform.preferences;
    std::vector<DiskType> types = enabledDiskTypes(defaults);
    bool force = defaults.boolValue(PreferenceKey::forceUnmountEnabled);
    bool unmountWording = boolPreference(defaults, PreferenceKey::unmountInsteadOfEject);
    m_runtime.globalAsync(QoS::UserInitiated, [manager = m_diskManager, types, force, unmountWording,
                                               report = reportDisksNotTakenOffline(), finish = std::move(finish)] {
        auto answered = std::make_shared<bool>(true);
        manager->ejectExternalDisks(
            types, {.force = force},
            [finish, unmountWording, answered](std::vector<std::string> urls) {
                finish(urls, unmountWording, *answered);
            },
            [report, answered](int volumes) {
                *answered = false;
                report(volumes);
            });
    });
}

void AppDelegate::ejectAndSleep() {
    runEject([weak = weak_from_this()](const std::vector<std::string>& urls, bool unmountWording, bool) {
        if (!urls.empty())
            logLine(LogCategory::app(), (unmountWording ? "Successfully unmounted disks before sleep: "
                                                        : "Successfully ejected disks before sleep: ") +
                                            joinedPaths(urls));
        else
            logLine(LogCategory::app(), unmountWording ? "No external disks were unmounted before sleep."
                                                       : "No external disks were ejected before sleep.");
        auto self = weak.lock();
        if (!self)
            return;
        self->m_runtime.mainAsync([weak] {
            if (auto self = weak.lock()) {
                self->m_stayAwakeController->deactivate(Initiator::user, Notice::post);
                self->sleepStep();
            }
        });
    });
}

void AppDelegate::sleepMac() {
    m_stayAwakeController->deactivate(Initiator::user, Notice::post);
    sleepStep();
}

void AppDelegate::sleepStep() {
    if (auto error = m_platform.processes.launchDetached(m_platform.tools.pmset(), {"sleepnow"})) {
        logError(LogCategory::app(), "Failed to execute pmset sleepnow: " + *error);
        postUserNotification("Sleep Failed", "Unable to put Mac to sleep: " + *error);
    }
}

void AppDelegate::remountDisks() {
    auto nothingBack = [weak = weak_from_this()](std::vector<std::string> urls) {
        auto self = weak.lock();
        if (!self || !urls.empty())
            return;
        self->m_runtime.mainAsync([self] {
            self->postUserNotification("No Disks Remounted", "No previously ejected disks were available to remount.");
        });
    };
    if (m_diskManager->lastEjectedDisks().empty()) {
        nothingBack({});
        return;
    }
    m_diskManager->remountLastEjectedDisks(RemountPolicy::persistent(), nothingBack,
                                           announcingEachPass("Successfully remounted: ", false));
}

void AppDelegate::stayAwakeForDuration(ActivationDuration duration) {
    m_platform.preferences.setInteger(PreferenceKey::activationDurationIndex, static_cast<std::int64_t>(duration));
    if (duration == ActivationDuration::off)
        m_stayAwakeController->deactivate(Initiator::rule, Notice::post);
    else
        m_stayAwakeController->activate(seconds(duration));
}

void AppDelegate::toggleStayAwakeDefault() {
    if (m_stayAwakeController->isActive())
        m_stayAwakeController->deactivate(Initiator::rule, Notice::post);
    else
        m_stayAwakeController->activate(defaultStayAwakeDuration(m_platform.preferences));
}

// `stayAwakeEnabled` is what the "Quenby Guard Active" switch shows: it follows the guard whoever started or
// stopped it (its timer, a battery rule, a user switch, the launch), written as the delegate's own change so that
// it is not taken for a request.
void AppDelegate::mirrorStayAwakeEnabled(bool active) {
    PreferenceStore& defaults = m_platform.preferences;
    if (defaults.hasObject(PreferenceKey::stayAwakeEnabled) &&
        defaults.boolValue(PreferenceKey::stayAwakeEnabled) == active)
        return;
    m_suppressStayAwakeDefaults = true;
    defaults.setBool(PreferenceKey::stayAwakeEnabled, active);
    m_suppressStayAwakeDefaults = false;
}

void AppDelegate::showSettings() {
    if (!m_settingsFallbackWindow)
        m_settingsFallbackWindow = m_windows.makeSettingsWindow(context());
    m_settingsFallbackWindow->makeKeyAndOrderFront();
    m_platform.application.activateIgnoringOtherApps();
}

void AppDelegate::showSettingsSection(SettingsSection section) {
    rememberSection(m_platform.preferences, section);
    showSettings();
}

void AppDelegate::relaunchOnboarding() {
    showOnboardingWindow(true);
}

void AppDelegate::checkForUpdates() {
    updaterController().checkForUpdates();
}

void AppDelegate::quit() {
    m_stayAwakeController->deactivate(Initiator::user, Notice::none);
    m_powerManager->stop();
    m_platform.application.terminate();
}

// MARK: - Windows, notifications, login item, updates

void AppDelegate::showOnboardingWindow(bool force) {
    PreferenceStore& defaults = m_platform.preferences;
    if (!force) {
        if (defaults.boolValue(PreferenceKey::hasCompletedOnboarding))
            return;
        defaults.setBool(PreferenceKey::hasCompletedOnboarding, true);
    }
    // The window being replaced may be the one whose button asked for this: it goes on the next turn.
    if (m_onboardingWindow)
        m_runtime.mainAsync([window = std::shared_ptr<AppWindow>(std::move(m_onboardingWindow))] {});
    m_onboardingWindow = m_windows.makeOnboardingWindow(context());
    m_onboardingWindow->makeKeyAndOrderFront();
    m_platform.application.activateIgnoringOtherApps();
}

void AppDelegate::showPermissionPrompt(PermissionPrompt prompt) {
    if (m_permissionPromptWindow) {
        m_permissionPromptWindow->makeKeyAndOrderFront();
        m_platform.application.activateIgnoringOtherApps();
        return;
    }
    // The window keeps its actions, so they must not keep the delegate that keeps the window.
    auto wrap = [weak = weak_from_this()](std::function<void()> action) {
        return [weak, action = std::move(action)] {
            if (action)
                action();
            auto self = weak.lock();
            // The window is dropped on the next turn: this button belongs to it.
            if (auto window = self ? std::move(self->m_permissionPromptWindow) : nullptr) {
                window->close();
                self->m_runtime.mainAsync([window = std::shared_ptr<AppWindow>(std::move(window))] {});
            }
        };
    };
    prompt.primaryAction = wrap(std::move(prompt.primaryAction));
    prompt.secondaryAction = wrap(std::move(prompt.secondaryAction));
    m_permissionPromptWindow = m_windows.makePermissionPromptWindow(prompt);
    m_permissionPromptWindow->makeKeyAndOrderFront();
    m_platform.application.activateIgnoringOtherApps();
}

void AppDelegate::runLaunchFullDiskAccessCheck() {
    PreferenceStore& defaults = m_platform.preferences;
    logLine(LogCategory::app(), "Tallowmere: Starting Full Disk Access check on launch");
    bool granted = checkFullDiskAccess(m_platform.fileSystem, m_platform.processes, m_platform.tools);
    logLine(LogCategory::app(),
            std::string("Tallowmere: Full Disk Access check result: ") + (granted ? "granted" : "NOT granted"));
    if (granted) {
        logLine(LogCategory::app(), "Tallowmere: Full Disk Access is granted, no prompt needed");
        defaults.setBool(PreferenceKey::hasCheckedFullDiskAccess, true);
        return;
    }
    if (defaults.boolValue(PreferenceKey::hasCheckedFullDiskAccess)) {
        logLine(LogCategory::app(), "Tallowmere: Full Disk Access not granted, prompt already shown previously");
        return;
    }
    logLine(LogCategory::app(), "Tallowmere: Showing Full Disk Access prompt (first time for this install)");
    defaults.setBool(PreferenceKey::hasCheckedFullDiskAccess, true);
    m_runtime.mainAsync(weakly(shared_from_this(), [](AppDelegate& self) {
        self.showPermissionPrompt({"Full Disk Access Required",
                                   "Tallowmere needs Full Disk Access to reliably manage external drives, "
                                   "especially for Time Machine volumes and encrypted disks.",
                                   "Open System Settings", "Later",
                                   [&workspace = self.m_platform.workspace] { openFullDiskAccessSettings(workspace); },
                                   nullptr});
    }));
}

void AppDelegate::postUserNotification(const std::string& title, const std::string& body) {
    m_notifier->postUserNotification(title, body);
}

void AppDelegate::setStartAtLogin(bool enabled) {
    // Failures are dropped: the preference keeps the user's choice and the next launch tries again.
    if (enabled)
        m_platform.loginItem.registerApp();
    else
        m_platform.loginItem.unregisterApp();
}

UpdaterController& AppDelegate::updaterController() {
    if (!m_updaterController) {
        m_updaterController = m_platform.updaterFramework.makeStandardUpdaterController(true);
        if (Updater* updater = m_updaterController->updater())
            updater->setAutomaticallyChecksForUpdates(true);
    }
    return *m_updaterController;
}

} // namespace tallowmere
