#pragma once

#include "platform/Workspace.h"
#include "platform/mac/MacNotificationCenter.h"

namespace tallowmere {

// The shared workspace (NSWorkspace): its notification center, device eject and opening URLs.
class MacWorkspace : public Workspace {
public:
    explicit MacWorkspace(Runtime& runtime)
        : m_center(MacNotificationCenter::Kind::workspace, runtime) {}

    NotificationCenter& notificationCenter() override { return m_center; }
    // Any thread.
    std::optional<std::string> unmountAndEjectDevice(const std::string& mountPath) override;
    bool openURL(const std::string& url) override;

private:
    MacNotificationCenter m_center;
};

} // namespace tallowmere
