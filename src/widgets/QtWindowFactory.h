#pragma once

#include "app/WindowFactory.h"

namespace tallowmere {

// The application's windows on Qt Widgets.
class QtWindowFactory : public WindowFactory {
public:
    std::unique_ptr<AppWindow> makePermissionPromptWindow(const PermissionPrompt& prompt) override;
    std::unique_ptr<AppWindow> makeSettingsWindow(const AppContext& context) override;
    std::unique_ptr<AppWindow> makeOnboardingWindow(const AppContext& context) override;
};

} // namespace tallowmere
