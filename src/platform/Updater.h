#pragma once

#include <memory>

namespace tallowmere {

// The software-update framework's updater.
class Updater {
public:
    virtual ~Updater() = default;
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool enabled) = 0;
};

// The framework's standard updater controller.
class UpdaterController {
public:
    virtual ~UpdaterController() = default;
    // May be absent.
    virtual Updater* updater() = 0;
    // A check started by the user; the framework shows its progress and result.
    virtual void checkForUpdates() = 0;
};

class UpdaterFramework {
public:
    virtual ~UpdaterFramework() = default;
    virtual std::unique_ptr<UpdaterController> makeStandardUpdaterController(bool startingUpdater) = 0;
};

} // namespace tallowmere
