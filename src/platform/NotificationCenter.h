#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tallowmere {

// A notification center of the platform (the default, the workspace's or the distributed one).
// Handlers run on the main thread.
class NotificationCenter {
public:
    using Handler = std::function<void()>;
    using ObserverId = std::uint64_t;

    virtual ~NotificationCenter() = default;
    virtual ObserverId addObserver(const std::string& name, Handler handler) = 0;
    virtual void removeObserver(ObserverId id) = 0;
};

namespace NotificationName {
inline constexpr const char* screenParametersChanged = "NSApplicationDidChangeScreenParametersNotification";
inline constexpr const char* sessionDidResignActive = "NSWorkspaceSessionDidResignActiveNotification";
inline constexpr const char* willSleep = "NSWorkspaceWillSleepNotification";
inline constexpr const char* didWake = "NSWorkspaceDidWakeNotification";
inline constexpr const char* didMount = "NSWorkspaceDidMountNotification";
inline constexpr const char* didUnmount = "NSWorkspaceDidUnmountNotification";
inline constexpr const char* screensDidSleep = "NSWorkspaceScreensDidSleepNotification";
inline constexpr const char* screensDidWake = "NSWorkspaceScreensDidWakeNotification";
inline constexpr const char* screensaverDidStart = "com.apple.screensaver.didstart";
inline constexpr const char* screensaverDidStop = "com.apple.screensaver.didstop";
inline constexpr const char* screenIsLocked = "com.apple.screenIsLocked";
inline constexpr const char* screenIsUnlocked = "com.apple.screenIsUnlocked";
} // namespace NotificationName

} // namespace tallowmere
