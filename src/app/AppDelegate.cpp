#include "app/AppDelegate.h"

#include "base/Preferences.h"

#include <utility>

namespace tallowmere {

std::shared_ptr<AppDelegate> AppDelegate::create(Dependencies dependencies) {
    std::shared_ptr<AppDelegate> delegate(new AppDelegate(dependencies));
    delegate->composeParts(dependencies.windows);
    return delegate;
}

AppDelegate::AppDelegate(Dependencies dependencies)
    : m_platform(dependencies.platform)
    , m_analytics(dependencies.analytics)
    , m_powerManager(std::move(dependencies.powerManager))
    , m_notifier(std::make_shared<UserNotifier>(m_platform, dependencies.alerts))
    , m_stayAwakeController(StayAwakeController::create(
          {m_platform.runtime, m_platform.preferences, m_platform.assertions, m_platform.powerSources,
           m_platform.notifications, m_analytics, m_platform.features.machine}))
    , m_diskManager(ExternalDiskManager::create({m_platform.runtime, m_platform.preferences, m_platform.processes,
                                                 m_platform.fileSystem, m_platform.tools, m_platform.workspace,
                                                 m_platform.diskArbitration})) {}

void AppDelegate::composeParts(WindowFactory& windows) {
    Platform& platform = m_platform;
    m_context.emplace(AppContext{platform, m_diskManager, m_stayAwakeController, m_notifier,
                                 [weak = weak_from_this()]() -> Updater* {
                                     auto self = weak.lock();
                                     if (!self || !self->m_platform.features.updater)
                                         return nullptr;
                                     return self->updaterController().updater();
                                 },
                                 weak_from_this()});
    m_diskNotices = DiskNotices::create(platform.runtime, m_notifier);
    m_protectionLoop = ProtectionLoop::create(
        {platform.runtime, platform.preferences, platform.assertions, m_analytics, m_diskManager, m_diskNotices});
    m_guardSync = GuardPreferenceSync::create(platform.runtime, platform.preferences, m_stayAwakeController);
    m_guardCommands =
        std::make_shared<GuardCommands>(platform.preferences, platform.application, m_stayAwakeController);
    m_windows = WindowCoordinator::create(windows, *m_context);
    m_diskCommands =
        DiskCommands::create({platform, m_diskManager, m_stayAwakeController, m_notifier, m_diskNotices, m_windows});
    m_triggerRouting =
        TriggerRouting::create({platform.preferences, platform.application, platform.workspace, m_powerManager,
                                m_protectionLoop, m_guardCommands, m_stayAwakeController, m_diskManager});
}

void AppDelegate::applicationDidFinishLaunching() {
    PreferenceStore& defaults = m_platform.preferences;

    m_analytics.track(AnalyticsEvent::appLaunched);
    if (m_platform.features.updater)
        updaterController();

    const bool firstLaunch = !defaults.boolValue(PreferenceKey::hasLaunchedOnce);
    if (firstLaunch) {
        defaults.setBool(PreferenceKey::hasLaunchedOnce, true);
        m_analytics.track(AnalyticsEvent::firstLaunch);
        if (!defaults.hasObject(PreferenceKey::startAtLogin))
            defaults.setBool(PreferenceKey::startAtLogin, true);
        m_notifier->postReadyNotification();
        if (!m_platform.features.statusArea)
            m_notifier->postNoStatusAreaNotification();
    }

    if (m_platform.features.fullDiskAccess)
        m_windows->scheduleLaunchFullDiskAccessCheck();

    m_notifier->presentNotificationsInForeground();
    m_notifier->requestAuthorization();

    setStartAtLogin(boolPreference(defaults, PreferenceKey::startAtLogin));

    m_guardSync->showGuardOffAtLaunch();
    m_guardCommands->activateOnLaunch();
    if (defaults.boolValue(PreferenceKey::activateAutoEjectOnLaunch))
        defaults.setBool(PreferenceKey::autoEjectBeforeSleep, true);
    if (!defaults.hasObject(PreferenceKey::autoEjectRemountDelaySeconds))
        defaults.setDouble(PreferenceKey::autoEjectRemountDelaySeconds, ProtectionLoop::defaultRemountDelay);
    if (!defaults.hasObject(PreferenceKey::autoEjectTriggers))
        defaults.setArray(PreferenceKey::autoEjectTriggers, PropertyArray{"systemSleep"});

    if (firstLaunch) {
        m_platform.runtime.globalAsync(QoS::Utility, [self = shared_from_this()] {
            self->m_diskManager->externalVolumeURLs(enabledDiskTypes(self->m_platform.preferences));
        });
    }

    m_platform.application.setAccessoryActivationPolicy();
    m_triggerRouting->subscribe();
    m_triggerRouting->wirePowerMonitor();
    m_protectionLoop->remountWhatAnEarlierRunLeftOffline();
    m_guardSync->startObserving();
    m_windows->showOnboardingWindow(WindowCoordinator::OnboardingRequest::launch);
}

void AppDelegate::applicationWillTerminate() {
    m_powerManager->stop();
}

void AppDelegate::ejectDisks() {
    m_diskCommands->ejectDisks();
}

void AppDelegate::ejectAndSleep() {
    m_diskCommands->ejectAndSleep();
}

void AppDelegate::sleepMac() {
    m_diskCommands->sleepMac();
}

void AppDelegate::remountDisks() {
    m_diskCommands->remountDisks();
}

void AppDelegate::ejectDisksReporting(DiskCommandReport report) {
    m_diskCommands->ejectWithoutPrompt(std::move(report));
}

void AppDelegate::remountDisksReporting(DiskCommandReport report) {
    m_diskCommands->remountDisks(std::move(report));
}

void AppDelegate::toggleStayAwakeDefault() {
    m_guardCommands->toggleStayAwakeDefault();
}

void AppDelegate::stayAwakeForDuration(ActivationDuration duration) {
    m_guardCommands->stayAwakeForDuration(duration);
}

void AppDelegate::showSettings() {
    m_windows->showSettings();
}

void AppDelegate::showSettingsSection(SettingsSection section) {
    m_windows->showSettingsSection(section);
}

void AppDelegate::relaunchOnboarding() {
    m_windows->showOnboardingWindow(WindowCoordinator::OnboardingRequest::user);
}

void AppDelegate::setStartAtLogin(bool enabled) {
    // Failures are dropped: the preference keeps the user's choice and the next launch tries again.
    if (enabled)
        m_platform.loginItem.registerApp();
    else
        m_platform.loginItem.unregisterApp();
}

void AppDelegate::checkForUpdates() {
    if (m_platform.features.updater)
        updaterController().checkForUpdates();
}

void AppDelegate::quit() {
    m_stayAwakeController->deactivate(Initiator::user, Notice::none);
    m_powerManager->stop();
    m_platform.application.terminate();
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
