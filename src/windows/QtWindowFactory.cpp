#include "windows/QtWindowFactory.h"

#include "windows/OnboardingWindow.h"
#include "windows/PermissionPromptWindow.h"
#include "windows/SettingsWindow.h"

namespace tallowmere {

std::unique_ptr<AppWindow> QtWindowFactory::makePermissionPromptWindow(const PermissionPrompt& prompt) {
    return std::make_unique<PermissionPromptWindow>(prompt);
}

std::unique_ptr<AppWindow> QtWindowFactory::makeSettingsWindow(AppDelegate& delegate) {
    return std::make_unique<SettingsWindow>(delegate);
}

std::unique_ptr<AppWindow> QtWindowFactory::makeOnboardingWindow(AppDelegate& delegate) {
    return std::make_unique<OnboardingWindow>(delegate);
}

} // namespace tallowmere
