#pragma once

#include "app/WindowFactory.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace tallowmere::test {

// Windows that record how they were shown; the factory keeps a record of every window it built, so a test
// can press a prompt's buttons after the delegate dropped the window.
class FakeWindowFactory : public WindowFactory {
public:
    struct Record {
        std::string kind; // "prompt", "settings" or "onboarding"
        PermissionPrompt prompt;
        int shown = 0;
        int closed = 0;
        bool destroyed = false;
    };

    std::unique_ptr<AppWindow> makePermissionPromptWindow(const PermissionPrompt& prompt) override {
        return make("prompt", prompt);
    }
    std::unique_ptr<AppWindow> makeSettingsWindow(AppDelegate&) override { return make("settings", {}); }
    std::unique_ptr<AppWindow> makeOnboardingWindow(AppDelegate&) override { return make("onboarding", {}); }

    std::vector<std::shared_ptr<Record>> built(const std::string& kind) const {
        std::vector<std::shared_ptr<Record>> matching;
        std::copy_if(m_records.begin(), m_records.end(), std::back_inserter(matching),
                     [&](const auto& record) { return record->kind == kind; });
        return matching;
    }

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
        m_records.push_back(std::make_shared<Record>(Record{kind, prompt}));
        return std::make_unique<Window>(m_records.back());
    }

    std::vector<std::shared_ptr<Record>> m_records;
};

} // namespace tallowmere::test
