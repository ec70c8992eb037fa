#pragma once

#include "platform/LocalNotificationCenter.h"
#include "platform/Runtime.h"
#include "platform/Workspace.h"

#include "simulator/Machine.h"

#include <memory>

namespace tallowmere {

// The shared workspace on the simulated Mac: ejects volumes of the machine (announcing the unmount on its
// own center, on the main queue) and records the URLs it opens.
class SimWorkspace : public Workspace {
public:
    SimWorkspace(macsim::Machine machine, Runtime& runtime);

    NotificationCenter& notificationCenter() override { return *m_center; }
    std::optional<std::string> unmountAndEjectDevice(const std::string& mountPath) override;
    bool openURL(const std::string& url) override;

    const std::shared_ptr<LocalNotificationCenter>& center() const { return m_center; }

private:
    macsim::Machine m_machine;
    Runtime& m_runtime;
    std::shared_ptr<LocalNotificationCenter> m_center = std::make_shared<LocalNotificationCenter>();
};

} // namespace tallowmere
