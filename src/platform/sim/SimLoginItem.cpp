#include "platform/sim/SimLoginItem.h"

namespace tallowmere {

SimLoginItem::SimLoginItem(macsim::Machine machine)
    : m_machine(std::move(machine)) {}

bool SimLoginItem::registerApp() {
    return m_machine.update([](macsim::MachineState& state) {
        state.loginItemRegistered = true;
        ++state.loginItemRegistrations;
        return true;
    });
}

bool SimLoginItem::unregisterApp() {
    bool wasRegistered = false;
    bool recorded = m_machine.update([&](macsim::MachineState& state) {
        wasRegistered = state.loginItemRegistered;
        state.loginItemRegistered = false;
        ++state.loginItemUnregistrations;
        return true;
    });
    return recorded && wasRegistered;
}

} // namespace tallowmere
