#pragma once

#include "platform/Updater.h"

namespace tallowmere {

// Sparkle 2's standard updater controller; built only when TALLOWMERE_SPARKLE found Sparkle.framework. Its feed
// and key are the bundle's SUFeedURL and SUPublicEDKey. Main thread.
class SparkleUpdaterFramework : public UpdaterFramework {
public:
    std::unique_ptr<UpdaterController> makeStandardUpdaterController(bool startingUpdater) override;
};

} // namespace tallowmere
