#pragma once

#include "platform/Updater.h"

namespace tallowmere {

// A build without an update framework: the controller has no updater, which the Updates page shows as such,
// and a check does nothing.
class NoUpdaterFramework : public UpdaterFramework {
public:
    std::unique_ptr<UpdaterController> makeStandardUpdaterController(bool) override {
        class Absent : public UpdaterController {
        public:
            Updater* updater() override { return nullptr; }
            void checkForUpdates() override {}
        };
        return std::make_unique<Absent>();
    }
};

} // namespace tallowmere
