#pragma once

#include "app/WindowFactory.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tallowmere::test {

// Windows that record how they were shown; the factory keeps a record of every window it built by kind
// ("prompt", "settings", "onboarding"), so a test can press a prompt's buttons after the delegate dropped it.
class FakeWindowFactory : public WindowFactory {
public:
    struct Record {
        PermissionPrompt prompt;
        int shown = 0;
        int closed = 0;
        bool destroyed = false;
    };

    std::unique_ptr<AppWindow> makePermissionPromptWindow(const PermissionPrompt& prompt) override {
        return make("prompt", prompt);
    }
    std::unique_ptr<AppWindow> makeSettingsWindow(const AppContext&) override { return make("settings", {}); }
    std::unique_ptr<AppWindow> makeOnboardingWindow(const AppContext&) override { return make("onboarding", {}); }

    std::map<std::string, std::vector<std::shared_ptr<Record>>> built;

private:
    struct Window : AppWindow {
        std::shared_ptr<Record> record;
        explicit Window(std::shared_ptr<Record> record)
            : record(std::move(record)) {}
        ~Window() override { record->destroyed = true; }
        void makeKeyAndOrderFront() override { ++record->shown; }
        void close() override { ++record->closed; }
    };

    std::unique_ptr<AppWindow> make(const std::string& kind, const PermissionPrompt& prompt) {
        built[kind].push_back(std::make_shared<Record>(Record{prompt}));
        return std::make_unique<Window>(built[kind].back());
    }
};

} // namespace tallowmere::test
