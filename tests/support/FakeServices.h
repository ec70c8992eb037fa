#pragma once

#include "platform/Bundle.h"
#include "platform/LoginItem.h"
#include "platform/Updater.h"

#include <memory>
#include <vector>

namespace tallowmere::test {

// Records register/unregister calls in order (true for register).
class FakeLoginItem : public LoginItem {
public:
    bool registerApp() override {
        calls.push_back(true);
        return true;
    }
    bool unregisterApp() override {
        calls.push_back(false);
        return true;
    }
    std::vector<bool> calls;
};

class FakeUpdater : public Updater {
public:
    bool automaticallyChecksForUpdates() const override { return automatic; }
    void setAutomaticallyChecksForUpdates(bool enabled) override { automatic = enabled; }
    bool automatic = false;
};

// Hands out controllers that share one updater and count the user-started checks.
class FakeUpdaterFramework : public UpdaterFramework {
public:
    struct Controller : UpdaterController {
        FakeUpdaterFramework* framework;
        explicit Controller(FakeUpdaterFramework* framework)
            : framework(framework) {}
        Updater* updater() override { return &framework->updater; }
        void checkForUpdates() override { ++framework->checks; }
    };
    std::unique_ptr<UpdaterController> makeStandardUpdaterController(bool) override {
        ++controllersMade;
        return std::make_unique<Controller>(this);
    }
    FakeUpdater updater;
    int controllersMade = 0;
    int checks = 0;
};

class FakeBundle : public Bundle {
public:
    std::optional<PropertyValue> infoValue(std::string_view key) override {
        if (const PropertyValue* value = find(info, key))
            return *value;
        return std::nullopt;
    }
    PropertyDictionary info{{"CFBundleShortVersionString", "1.0"}, {"CFBundleVersion", "7"}};
};

} // namespace tallowmere::test
