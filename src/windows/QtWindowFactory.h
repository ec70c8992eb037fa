#pragma once

#include "app/WindowFactory.h"

namespace tallowmere {

// The application's windows on Qt Widgets. The settings and welcome windows are not part of this build
// yet: asking for them is logged and nothing is shown.
class QtWindowFactory : public WindowFactory {
public:
    std::unique_ptr<AppWindow> makePermissionPromptWindow(const PermissionPrompt& prompt) override;
    std::unique_ptr<AppWindow> makeSettingsWindow() override;
    std::unique_ptr<AppWindow> makeOnboardingWindow() override;
};

} // namespace tallowmere
