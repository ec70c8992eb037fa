#pragma once

#include "platform/PowerSources.h"

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
    // One internal battery with this charge out of 100.
    void setBatteryPercent(double percent) { setDescriptions(Descriptions{battery(percent, 100.0)}); }
    void setLowPowerMode(bool enabled) {
        std::lock_guard lock(m_mutex);
        m_lowPowerMode = enabled;
    }

    std::optional<Descriptions> powerSourceDescriptions() override {
        std::lock_guard lock(m_mutex);
        ++m_queries;
        return m_descriptions;
    }
    bool isLowPowerModeEnabled() override {
        std::lock_guard lock(m_mutex);
        return m_lowPowerMode;
    }

    int queries() const {
        std::lock_guard lock(m_mutex);
        return m_queries;
    }

private:
    mutable std::mutex m_mutex;
    std::optional<Descriptions> m_descriptions;
    bool m_lowPowerMode = false;
    int m_queries = 0;
};

} // namespace tallowmere::test
