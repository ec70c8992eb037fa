#pragma once

#include <mutex>
#include <string>

namespace tallowmere {

// What only the user interface can tell about the display and the user's appearance settings.
struct ScreenMetrics {
    int width = 0; // pixels of the main screen; 0 while unknown
    int height = 0;
    double scaleFactor = 1.0;
    std::string colorScheme = "Light"; // "Light" or "Dark"
    bool isReduceMotionEnabled = false;
    bool isInvertColorsEnabled = false;
};

// Filled in by the application's interface layer (the core has no GUI module), read by the analytics client
// from any thread.
class ScreenMetricsProvider {
public:
    void update(ScreenMetrics metrics) {
        std::lock_guard lock(m_mutex);
        m_metrics = std::move(metrics);
    }
    ScreenMetrics current() const {
        std::lock_guard lock(m_mutex);
        return m_metrics;
    }

private:
    mutable std::mutex m_mutex;
    ScreenMetrics m_metrics;
};

} // namespace tallowmere
