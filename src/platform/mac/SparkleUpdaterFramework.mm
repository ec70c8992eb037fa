#include "platform/mac/SparkleUpdaterFramework.h"

#import <Sparkle/Sparkle.h>

#include <optional>

namespace tallowmere {
namespace {

class SparkleUpdater : public Updater {
public:
    explicit SparkleUpdater(SPUUpdater* updater)
        : m_updater(updater) {}
    // Sparkle keeps the setting in the host's defaults.
    bool automaticallyChecksForUpdates() const override { return m_updater.automaticallyChecksForUpdates; }
    void setAutomaticallyChecksForUpdates(bool enabled) override { m_updater.automaticallyChecksForUpdates = enabled; }

private:
    SPUUpdater* m_updater;
};

class SparkleUpdaterController : public UpdaterController {
public:
    explicit SparkleUpdaterController(SPUStandardUpdaterController* controller)
        : m_controller(controller) {
        if (SPUUpdater* updater = controller.updater)
            m_updater.emplace(updater);
    }
    Updater* updater() override { return m_updater ? &*m_updater : nullptr; }
    void checkForUpdates() override { [m_controller checkForUpdates:nil]; }

private:
    SPUStandardUpdaterController* m_controller;
    std::optional<SparkleUpdater> m_updater;
};

} // namespace

std::unique_ptr<UpdaterController> SparkleUpdaterFramework::makeStandardUpdaterController(bool startingUpdater) {
    return std::make_unique<SparkleUpdaterController>([[SPUStandardUpdaterController alloc]
        initWithStartingUpdater:startingUpdater
                updaterDelegate:nil
             userDriverDelegate:nil]);
}

} // namespace tallowmere
