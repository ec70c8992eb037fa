#pragma once

#include "platform/NotificationCenter.h"

#include <optional>
#include <string>

namespace tallowmere {

// The shared workspace: its notification center, device eject and opening URLs.
class Workspace {
public:
    virtual ~Workspace() = default;
    virtual NotificationCenter& notificationCenter() = 0;
    // Blocking. Returns the error description when the device could not be unmounted and ejected.
    virtual std::optional<std::string> unmountAndEjectDevice(const std::string& mountPath) = 0;
    // URLs are texts such as "x-apple.systempreferences:…" or "file:///…"; false when nothing opened it.
    virtual bool openURL(const std::string& url) = 0;
};

} // namespace tallowmere
