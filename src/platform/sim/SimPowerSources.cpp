#include "platform/sim/SimPowerSources.h"

#include <cmath>

namespace tallowmere {
namespace {

// IOKit reports whole capacities as integers; a fractional charge set by macsim stays a real number.
PropertyValue capacity(double value) {
    double whole = std::floor(value);
    bool fits = std::abs(whole) < 0x1p53;
    return whole == value && fits ? PropertyValue(static_cast<std::int64_t>(whole)) : PropertyValue(value);
}

} // namespace

SimPowerSources::SimPowerSources(macsim::Machine machine)
    : m_machine(std::move(machine)) {}

std::optional<std::vector<std::optional<PropertyValue>>> SimPowerSources::powerSourceDescriptions() {
    macsim::MachineState state = m_machine.state();
    std::vector<std::optional<PropertyValue>> sources;
    if (state.battery) {
        const macsim::Battery& battery = *state.battery;
        bool charged = battery.currentCapacity >= battery.maxCapacity;
        sources.emplace_back(PropertyDictionary{{"Type", "InternalBattery"},
                                                {"Name", "InternalBattery-0"},
                                                {"Transport Type", "Internal"},
                                                {"Power Source ID", std::int64_t(4653155)},
                                                {"Power Source State", "AC Power"},
                                                {"Is Present", true},
                                                {"Is Charging", !charged},
                                                {"Is Charged", charged},
                                                {"Current Capacity", capacity(battery.currentCapacity)},
                                                {"Max Capacity", capacity(battery.maxCapacity)},
                                                {"Time to Empty", std::int64_t(0)},
                                                {"Time to Full Charge", std::int64_t(charged ? 0 : 95)},
                                                {"Battery Provides Time Remaining", true},
                                                {"BatteryHealth", "Good"},
                                                {"Optimized Battery Charging Engaged", false},
                                                {"Hardware Serial Number", "F8Y2341A0B7Q1F9AB"}});
    }
    return sources;
}

bool SimPowerSources::isLowPowerModeEnabled() {
    return m_machine.state().lowPowerMode;
}

} // namespace tallowmere
