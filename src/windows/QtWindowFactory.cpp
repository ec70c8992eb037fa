#include "windows/QtWindowFactory.h"

#include "platform/Log.h"
#include "windows/OnboardingWindow.h"
#include "windows/PermissionPromptWindow.h"

namespace tallowmere {
namespace {

// Stands in for a window this build does not have: showing it says so in the log.
class UnavailableWindow : public AppWindow {
public:
    explicit UnavailableWindow(std::string title)
        : m_title(std::move(title)) {}
    void makeKeyAndOrderFront() override {
        logLine("Tallowmere: the " + m_title + " window is not available in this build");
    }
    void close() override {}

private:
    std::string m_title;
};

} // namespace

std::unique_ptr<AppWindow> QtWindowFactory::makePermissionPromptWindow(const PermissionPrompt& prompt) {
    return std::make_unique<PermissionPromptWindow>(prompt);
}

std::unique_ptr<AppWindow> QtWindowFactory::makeSettingsWindow(AppDelegate&) {
    return std::make_unique<UnavailableWindow>("settings");
}

std::unique_ptr<AppWindow> QtWindowFactory::makeOnboardingWindow(AppDelegate& delegate) {
    return std::make_unique<OnboardingWindow>(delegate);
}

} // namespace tallowmere
