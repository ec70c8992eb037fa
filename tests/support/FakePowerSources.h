#pragma once

#include "platform/PowerSources.h"

#include <atomic>
#include <mutex>

namespace tallowmere::test {

// Power sources as a test lays them out; by default there is no snapshot at all.
class FakePowerSources : public PowerSources {
public:
    using Descriptions = std::vector<std::optional<PropertyValue>>;

    static PropertyValue battery(PropertyValue current, PropertyValue maximum, std::string type = "InternalBattery") {
        return PropertyDictionary{
            {"Type", std::move(type)}, {"Current Capacity", std::move(current)}, {"Max Capacity", std::move(maximum)}};
    }
    void setDescriptions(std::optional<Descriptions> descriptions) {
        std::lock_guard lock(m_mutex);
        m_descriptions = std::move(descriptions);
    }
    void setBatteryPercent(double percent) { setDescriptions(Descriptions{battery(percent, 100.0)}); }

    std::optional<Descriptions> powerSourceDescriptions() override {
        std::lock_guard lock(m_mutex);
        ++queries;
        return m_descriptions;
    }
    bool isLowPowerModeEnabled() override { return lowPowerMode; }

    std::atomic<bool> lowPowerMode{false};
    std::atomic<int> queries{0};

private:
    std::mutex m_mutex;
    std::optional<Descriptions> m_descriptions;
};

} // namespace tallowmere::test
