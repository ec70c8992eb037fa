#include "app/WindowCoordinator.h"

#include "base/Preferences.h"
#include "disks/FullDiskAccess.h"
#include "platform/Log.h"
#include "platform/Translation.h"

#include <utility>

namespace tallowmere {

std::shared_ptr<WindowCoordinator> WindowCoordinator::create(WindowFactory& factory, AppContext context) {
    return std::shared_ptr<WindowCoordinator>(new WindowCoordinator(factory, std::move(context)));
}

WindowCoordinator::WindowCoordinator(WindowFactory& factory, AppContext context)
    : m_factory(factory)
    , m_context(std::move(context)) {}

void WindowCoordinator::showSettings() {
    if (!m_settingsFallbackWindow)
        m_settingsFallbackWindow = m_factory.makeSettingsWindow(m_context);
    m_settingsFallbackWindow->makeKeyAndOrderFront();
    m_context.platform.application.activateIgnoringOtherApps();
}

void WindowCoordinator::showSettingsSection(SettingsSection section) {
    rememberSection(m_context.platform.preferences, section);
    showSettings();
}

void WindowCoordinator::showOnboardingWindow(OnboardingRequest request) {
    PreferenceStore& defaults = m_context.platform.preferences;
    if (request == OnboardingRequest::launch) {
        if (defaults.boolValue(PreferenceKey::hasCompletedOnboarding))
            return;
        defaults.setBool(PreferenceKey::hasCompletedOnboarding, true);
    }
    // The window being replaced may be the one whose button asked for this: it goes on the next turn.
    if (m_onboardingWindow)
        m_context.platform.runtime.mainAsync([window = std::shared_ptr<AppWindow>(std::move(m_onboardingWindow))] {});
    m_onboardingWindow = m_factory.makeOnboardingWindow(m_context);
    m_onboardingWindow->makeKeyAndOrderFront();
    m_context.platform.application.activateIgnoringOtherApps();
}

void WindowCoordinator::showPermissionPrompt(PermissionPrompt prompt) {
    if (m_permissionPromptWindow) {
        m_permissionPromptWindow->makeKeyAndOrderFront();
        m_context.platform.application.activateIgnoringOtherApps();
        return;
    }
    // The window keeps its actions, so they must not keep what keeps the window.
    auto wrap = [weak = weak_from_this()](std::function<void()> action) {
        return [weak, action = std::move(action)] {
            if (action)
                action();
            auto self = weak.lock();
            // The window is dropped on the next turn: this button belongs to it.
            if (auto window = self ? std::move(self->m_permissionPromptWindow) : nullptr) {
                window->close();
                self->m_context.platform.runtime.mainAsync([window = std::shared_ptr<AppWindow>(std::move(window))] {});
            }
        };
    };
    prompt.primaryAction = wrap(std::move(prompt.primaryAction));
    prompt.secondaryAction = wrap(std::move(prompt.secondaryAction));
    m_permissionPromptWindow = m_factory.makePermissionPromptWindow(prompt);
    m_permissionPromptWindow->makeKeyAndOrderFront();
    m_context.platform.application.activateIgnoringOtherApps();
}

void WindowCoordinator::scheduleLaunchFullDiskAccessCheck() {
    logLine(LogCategory::app(), "Tallowmere: Scheduling Full Disk Access check on launch");
    m_context.platform.runtime.mainAfter(
        launchAccessCheckDelay, weakly(shared_from_this(), [](WindowCoordinator& self) {
            logLine(LogCategory::app(), "Tallowmere: Executing Full Disk Access check now");
            self.runLaunchFullDiskAccessCheck();
        }));
}

void WindowCoordinator::runLaunchFullDiskAccessCheck() {
    Platform& platform = m_context.platform;
    PreferenceStore& defaults = platform.preferences;
    logLine(LogCategory::app(), "Tallowmere: Starting Full Disk Access check on launch");
    bool granted = checkFullDiskAccess(platform.fileSystem, platform.processes, platform.tools);
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
    platform.runtime.mainAsync(weakly(shared_from_this(), [](WindowCoordinator& self) {
        self.showPermissionPrompt(
            {translated("WindowCoordinator", "Full Disk Access Required"),
             translated("WindowCoordinator", "Tallowmere needs Full Disk Access to reliably manage external drives, "
                                             "especially for Time Machine volumes and encrypted disks."),
             translated("WindowCoordinator", "Open System Settings"), translated("WindowCoordinator", "Later"),
             [&workspace = self.m_context.platform.workspace] { openFullDiskAccessSettings(workspace); }, nullptr});
    }));
}

} // namespace tallowmere
