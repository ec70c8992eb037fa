#include "widgets/QtWindowFactory.h"

#include "widgets/OnboardingWindow.h"
#include "widgets/PermissionPromptWindow.h"
#include "widgets/SettingsWindow.h"

namespace tallowmere {

std::unique_ptr<AppWindow> QtWindowFactory::makePermissionPromptWindow(const PermissionPrompt& prompt) {
    return std::make_unique<PermissionPromptWindow>(prompt);
}

std::unique_ptr<AppWindow> QtWindowFactory::makeSettingsWindow(const AppContext& context) {
    return std::make_unique<SettingsWindow>(context);
}

std::unique_ptr<AppWindow> QtWindowFactory::makeOnboardingWindow(const AppContext& context) {
    return std::make_unique<OnboardingWindow>(context);
}

} // namespace tallowmere
