#pragma once

#include "app/AppCommands.h"
#include "app/WindowFactory.h"
#include "base/SettingsSection.h"
#include "platform/Runtime.h"

#include <memory>

namespace tallowmere {

// The application's windows: the settings window (built once, then brought back), the welcome window (built anew
// each time), the Full Disk Access prompt (one at a time, dropped by its own buttons) and the launch-time access
// check that may show it. Main thread.
class WindowCoordinator : public std::enable_shared_from_this<WindowCoordinator> {
public:
    // Who asks for the welcome window: the launch shows it once per installation, the user whenever asked.
    enum class OnboardingRequest { launch, user };
    // The launch-time access check waits this long, so that the launch is over before the check blocks the
    // main thread.
    static constexpr Seconds launchAccessCheckDelay{1.0};

    // `context` is what the windows are handed.
    static std::shared_ptr<WindowCoordinator> create(WindowFactory& factory, AppContext context);

    void showSettings();
    // Remembers `section`, so that a window built now opens on it, then shows the window.
    void showSettingsSection(SettingsSection section);
    void showOnboardingWindow(OnboardingRequest request);
    void showPermissionPrompt(PermissionPrompt prompt);

    void scheduleLaunchFullDiskAccessCheck();
    // Asks for Full Disk Access once per installation when it is missing.
    void runLaunchFullDiskAccessCheck();

private:
    WindowCoordinator(WindowFactory& factory, AppContext context);

    WindowFactory& m_factory;
    AppContext m_context;
    std::unique_ptr<AppWindow> m_onboardingWindow;
    std::unique_ptr<AppWindow> m_settingsFallbackWindow;
    std::unique_ptr<AppWindow> m_permissionPromptWindow;
};

} // namespace tallowmere
