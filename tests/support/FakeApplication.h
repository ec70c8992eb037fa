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
    int screenCount() override { return screens; }
    void setAccessoryActivationPolicy() override {}
    void activateIgnoringOtherApps() override { ++activations; }
    void requestUserAttention() override {}
    void terminate() override { ++terminations; }

    std::atomic<int> screens{1};
    std::atomic<int> activations{0};
    std::atomic<int> terminations{0};

private:
    FakeNotificationCenter m_default;
    FakeNotificationCenter m_distributed;
};

} // namespace tallowmere::test
