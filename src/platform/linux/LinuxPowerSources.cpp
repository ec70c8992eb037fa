#include "platform/linux/LinuxPowerSources.h"

#include "platform/linux/DBusCalls.h"

#include <QDBusArgument>
#include <QDBusObjectPath>

#include <cmath>

namespace tallowmere {
namespace {

const QString upower = "org.freedesktop.UPower";
const QString deviceInterface = "org.freedesktop.UPower.Device";
constexpr unsigned batteryType = 2; // UP_DEVICE_KIND_BATTERY
constexpr unsigned chargingState = 1, fullyChargedState = 4;
// The rules run on the main thread: a service that hangs must not freeze the menu for long.
constexpr int timeoutMs = 2000;

// IOKit reports whole capacities as integers.
PropertyValue capacity(double percent) {
    double whole = std::floor(percent);
    return whole == percent ? PropertyValue(static_cast<std::int64_t>(whole)) : PropertyValue(percent);
}

} // namespace

LinuxPowerSources::LinuxPowerSources(QDBusConnection systemBus)
    : m_bus(std::move(systemBus)) {}

std::optional<std::vector<std::optional<PropertyValue>>> LinuxPowerSources::powerSourceDescriptions() {
    QDBusMessage reply =
        dbus::call(m_bus, upower, "/org/freedesktop/UPower", upower, "EnumerateDevices", {}, timeoutMs);
    if (dbus::errorOf(reply) || reply.arguments().isEmpty())
        return std::nullopt;
    const bool onBattery = dbus::property(m_bus, upower, "/org/freedesktop/UPower", upower, "OnBattery", timeoutMs)
                               .value_or(false)
                               .toBool();
    std::vector<std::optional<PropertyValue>> sources;
    for (const QDBusObjectPath& device : qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().constFirst())) {
        auto facts = dbus::properties(m_bus, upower, device.path(), deviceInterface, timeoutMs);
        if (!facts || facts->value("Type").toUInt() != batteryType || !facts->value("PowerSupply").toBool())
            continue;
        const unsigned state = facts->value("State").toUInt();
        const double percent = facts->value("Percentage").toDouble();
        sources.emplace_back(PropertyDictionary{{"Type", "InternalBattery"},
                                                {"Name", facts->value("NativePath").toString().toStdString()},
                                                {"Transport Type", "Internal"},
                                                {"Power Source State", onBattery ? "Battery Power" : "AC Power"},
                                                {"Is Present", facts->value("IsPresent", true).toBool()},
                                                {"Is Charging", state == chargingState},
                                                {"Is Charged", state == fullyChargedState},
                                                {"Current Capacity", capacity(percent)},
                                                {"Max Capacity", std::int64_t(100)}});
    }
    return sources;
}

bool LinuxPowerSources::isLowPowerModeEnabled() {
    // The daemon took UPower's name in version 0.20; older ones answer under their first name only.
    const std::pair<QString, QString> services[] = {
        {"org.freedesktop.UPower.PowerProfiles", "/org/freedesktop/UPower/PowerProfiles"},
        {"net.hadess.PowerProfiles", "/net/hadess/PowerProfiles"}};
    for (const auto& [service, path] : services) {
        if (auto profile = dbus::property(m_bus, service, path, service, "ActiveProfile", timeoutMs))
            return profile->toString() == "power-saver";
    }
    return false;
}

} // namespace tallowmere
