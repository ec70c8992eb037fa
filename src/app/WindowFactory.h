#pragma once

#include <functional>
#include <memory>
#include <string>

namespace tallowmere {

struct AppContext;

// A window the application delegate keeps: closing hides it, the object stays until it is dropped.
class AppWindow {
public:
    virtual ~AppWindow() = default;
    virtual void makeKeyAndOrderFront() = 0;
    virtual void close() = 0;
};

struct PermissionPrompt {
    std::string title;
    std::string message;
    std::string primaryTitle;
    std::string secondaryTitle;
    std::function<void()> primaryAction;
    std::function<void()> secondaryAction;
};

// Builds the windows the delegate opens; the user-interface layer implements it.
class WindowFactory {
public:
    virtual ~WindowFactory() = default;
    // Titled with the prompt's title, closable, not resizable, centred.
    virtual std::unique_ptr<AppWindow> makePermissionPromptWindow(const PermissionPrompt& prompt) = 0;
    // The settings window (it takes its section from `settingsTabIndex` when it comes on screen).
    virtual std::unique_ptr<AppWindow> makeSettingsWindow(const AppContext& context) = 0;
    // A fresh welcome window, sized and centred.
    virtual std::unique_ptr<AppWindow> makeOnboardingWindow(const AppContext& context) = 0;
};

} // namespace tallowmere
