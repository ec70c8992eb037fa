#pragma once

#include "platform/PowerSources.h"

#include <QDBusConnection>

namespace tallowmere {

// Power sources from UPower: every battery that powers the computer is an internal battery whose charge is
// UPower's percentage (a "Max Capacity" of 100). Low Power Mode is power-profiles-daemon's "power-saver"
// profile.
class LinuxPowerSources : public PowerSources {
public:
    explicit LinuxPowerSources(QDBusConnection systemBus);

    std::optional<std::vector<std::optional<PropertyValue>>> powerSourceDescriptions() override;
    bool isLowPowerModeEnabled() override;

private:
    QDBusConnection m_bus;
};

} // namespace tallowmere
