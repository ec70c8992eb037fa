#pragma once

#include "platform/Application.h"
#include "support/FakeNotificationCenter.h"

#include <atomic>

namespace tallowmere::test {

// The shared application: its two notification centers, a settable screen count, and counters of what the
// application asked of it.
class FakeApplication : public Application {
public:
    FakeNotificationCenter& defaultCenter() override { return m_default; }
    FakeNotificationCenter& distributedCenter() override { return m_distributed; }
    int screenCount() override { return m_screens; }
    void setScreenCount(int screens) { m_screens = screens; }
    void setAccessoryActivationPolicy() override { m_accessory = true; }
    void activateIgnoringOtherApps() override { ++m_activations; }
    void requestUserAttention() override { ++m_attentionRequests; }
    void terminate() override { ++m_terminations; }

    bool isAccessory() const { return m_accessory; }
    int activations() const { return m_activations; }
    int terminations() const { return m_terminations; }

private:
    FakeNotificationCenter m_default;
    FakeNotificationCenter m_distributed;
    std::atomic<int> m_screens{1};
    std::atomic<bool> m_accessory{false};
    std::atomic<int> m_activations{0};
    std::atomic<int> m_attentionRequests{0};
    std::atomic<int> m_terminations{0};
};

} // namespace tallowmere::test
