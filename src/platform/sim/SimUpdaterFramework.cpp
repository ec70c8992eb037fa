#include "platform/sim/SimUpdaterFramework.h"

namespace tallowmere {
namespace {

class SimUpdater : public Updater {
public:
    explicit SimUpdater(macsim::Machine machine)
        : m_machine(std::move(machine)) {}
    bool automaticallyChecksForUpdates() const override { return m_machine.state().automaticUpdateChecks; }
    void setAutomaticallyChecksForUpdates(bool enabled) override {
        m_machine.update([enabled](macsim::MachineState& state) {
            state.automaticUpdateChecks = enabled;
            return true;
        });
    }

private:
    macsim::Machine m_machine;
};

class SimUpdaterController : public UpdaterController {
public:
    explicit SimUpdaterController(macsim::Machine machine)
        : m_machine(machine)
        , m_updater(std::move(machine)) {}
    Updater* updater() override { return &m_updater; }
    void checkForUpdates() override {
        m_machine.update([](macsim::MachineState& state) {
            ++state.updateChecks;
            return true;
        });
    }

private:
    macsim::Machine m_machine;
    SimUpdater m_updater;
};

} // namespace

SimUpdaterFramework::SimUpdaterFramework(macsim::Machine machine)
    : m_machine(std::move(machine)) {}

std::unique_ptr<UpdaterController> SimUpdaterFramework::makeStandardUpdaterController(bool startingUpdater) {
    if (startingUpdater) {
        m_machine.update([](macsim::MachineState& state) {
            ++state.updaterStarts;
            return true;
        });
    }
    return std::make_unique<SimUpdaterController>(m_machine);
}

} // namespace tallowmere
