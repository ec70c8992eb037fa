#pragma once

#include "platform/Updater.h"

#include "simulator/Machine.h"

namespace tallowmere {

// The update framework on the simulated Mac: controllers started, the automatic-check flag and the checks
// the user started are recorded in the machine (`macsim updates`).
class SimUpdaterFramework : public UpdaterFramework {
public:
    explicit SimUpdaterFramework(macsim::Machine machine);
    std::unique_ptr<UpdaterController> makeStandardUpdaterController(bool startingUpdater) override;

private:
    macsim::Machine m_machine;
};

} // namespace tallowmere
