#pragma once

#include "app/WindowFactory.h"

namespace tallowmere {

// The application's windows on Qt Widgets.
class QtWindowFactory : public WindowFactory {
public:
    std::unique_ptr<AppWindow> makePermissionPromptWindow(const PermissionPrompt& prompt) override;
    std::unique_ptr<AppWindow> makeSettingsWindow(AppDelegate& delegate) override;
    std::unique_ptr<AppWindow> makeOnboardingWindow(AppDelegate& delegate) override;
};

} // namespace tallowmere
