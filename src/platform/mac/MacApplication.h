#pragma once

#include "platform/Application.h"
#include "platform/mac/MacNotificationCenter.h"

#include <functional>

namespace tallowmere {

// The shared application (NSApp), its screens and the default and distributed notification centers. Main
// thread, once the QApplication exists: Qt's Cocoa plugin creates NSApp then (unconfirmed from Qt's
// documentation).
class MacApplication : public Application {
public:
    // `terminate` ends the event loop the way the toolkit quits, so that the delegate's will-terminate step runs.
    MacApplication(Runtime& runtime, std::function<void()> terminate)
        : m_defaultCenter(MacNotificationCenter::Kind::application, runtime)
        , m_distributedCenter(MacNotificationCenter::Kind::distributed, runtime)
        , m_terminate(std::move(terminate)) {}

    NotificationCenter& defaultCenter() override { return m_defaultCenter; }
    NotificationCenter& distributedCenter() override { return m_distributedCenter; }
    int screenCount() override;
    void setAccessoryActivationPolicy() override;
    void activateIgnoringOtherApps() override;
    void requestUserAttention() override;
    void terminate() override { m_terminate(); }

private:
    MacNotificationCenter m_defaultCenter;
    MacNotificationCenter m_distributedCenter;
    std::function<void()> m_terminate;
};

} // namespace tallowmere
