#include "guard/BatteryRules.h"

namespace tallowmere {
namespace {

const PropertyDictionary* internalBattery(const std::optional<PropertyValue>& description) {
    if (!description)
        return nullptr;
    const auto* dictionary = description->as<PropertyDictionary>();
    if (!dictionary)
        return nullptr;
    const auto* type = findAs<std::string>(*dictionary, "Type");
    return type && *type == "InternalBattery" ? dictionary : nullptr;
}

// A number of the power-source description (integer or real; a Boolean is not a number).
std::optional<double> number(const PropertyDictionary& dictionary, std::string_view key) {
    if (const auto* integer = findAs<std::int64_t>(dictionary, key))
        return static_cast<double>(*integer);
    if (const auto* real = findAs<double>(dictionary, key))
        return *real;
    return std::nullopt;
}

} // namespace

bool hasInternalBattery(PowerSources& powerSources) {
    auto descriptions = powerSources.powerSourceDescriptions();
    if (!descriptions)
        return false;
    for (const auto& description : *descriptions)
        if (internalBattery(description))
            return true;
    return false;
}

std::optional<double> batteryPercentage(PowerSources& powerSources) {
    auto descriptions = powerSources.powerSourceDescriptions();
    if (!descriptions)
        return std::nullopt;
    for (const auto& description : *descriptions) {
        const PropertyDictionary* battery = internalBattery(description);
        if (!battery)
            continue;
        auto current = number(*battery, "Current Capacity");
        auto maximum = number(*battery, "Max Capacity");
        if (current && maximum && *maximum > 0)
            return *current / *maximum * 100;
    }
    return std::nullopt;
}

} // namespace tallowmere
