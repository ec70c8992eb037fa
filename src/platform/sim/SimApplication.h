#pragma once

#include "platform/Application.h"
#include "platform/LocalNotificationCenter.h"

#include "simulator/Machine.h"

#include <functional>
#include <memory>

namespace tallowmere {

// The shared application on the simulated Mac: its screens come from the machine; the activation policy,
// activation and attention requests are recorded there.
class SimApplication : public Application {
public:
    explicit SimApplication(macsim::Machine machine);

    NotificationCenter& defaultCenter() override { return *m_defaultCenter; }
    NotificationCenter& distributedCenter() override { return *m_distributedCenter; }
    int screenCount() override;
    void setAccessoryActivationPolicy() override;
    void activateIgnoringOtherApps() override;
    void requestUserAttention() override;
    void terminate() override;

    // What `terminate` does; by default it ends the Qt event loop.
    void setTerminationHandler(std::function<void()> handler) { m_terminate = std::move(handler); }

    const std::shared_ptr<LocalNotificationCenter>& defaultNotificationCenter() const { return m_defaultCenter; }
    const std::shared_ptr<LocalNotificationCenter>& distributedNotificationCenter() const {
        return m_distributedCenter;
    }

private:
    macsim::Machine m_machine;
    std::shared_ptr<LocalNotificationCenter> m_defaultCenter = std::make_shared<LocalNotificationCenter>();
    std::shared_ptr<LocalNotificationCenter> m_distributedCenter = std::make_shared<LocalNotificationCenter>();
    std::function<void()> m_terminate;
};

} // namespace tallowmere
