#pragma once

#include "app/UserNotifier.h"
#include "base/SettingsSection.h"
#include "disks/ExternalDiskManager.h"
#include "guard/ActivationDuration.h"
#include "guard/StayAwakeController.h"
#include "platform/Platform.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tallowmere {

// What an eject or a remount did, for a caller that waits for it: the volumes taken offline or brought back, the
// word the user's texts use, and whether the disk service answered (when it did not, nothing was done).
struct DiskCommandResult {
    std::vector<std::string> urls;
    bool saysUnmount = false;
    bool diskServiceAnswered = true;
};
using DiskCommandReport = std::function<void(const DiskCommandResult&)>;

// The user's commands, as the menu and the windows give them. Main thread.
class AppCommands {
public:
    virtual ~AppCommands() = default;

    virtual void ejectDisks() = 0;
    virtual void ejectAndSleep() = 0;
    virtual void remountDisks() = 0;
    // The same, reporting on the main queue what was done, for the command line: nobody may be at the screen, so
    // the eject does not stop to ask for Full Disk Access.
    virtual void ejectDisksReporting(DiskCommandReport report) = 0;
    virtual void remountDisksReporting(DiskCommandReport report) = 0;

    virtual void toggleStayAwakeDefault() = 0;
    // The chosen duration becomes the default one; the guard runs for it, or stops for `off`.
    virtual void stayAwakeForDuration(ActivationDuration duration) = 0;

    // The settings window as it was left, or opened on `section` (a window built now opens on it).
    virtual void showSettings() = 0;
    virtual void showSettingsSection(SettingsSection section) = 0;
    // A fresh welcome window, also after the first launch.
    virtual void relaunchOnboarding() = 0;

    virtual void setStartAtLogin(bool enabled) = 0;
    virtual void checkForUpdates() = 0;
    virtual void quit() = 0;
};

// What the menu and the windows are handed: the commands, and the few services they read or bind to. The
// application delegate owns all of them; the commands are held weakly, as the menu may outlive the delegate at quit.
struct AppContext {
    Platform& platform;
    std::shared_ptr<ExternalDiskManager> diskManager;
    std::shared_ptr<StayAwakeController> stayAwakeController;
    // The application's one posting path (the welcome window's test posts through it).
    std::shared_ptr<UserNotifier> notifier;
    // The update controller's updater, the controller created on first use; nothing when there is none.
    std::function<Updater*()> updater;
    std::weak_ptr<AppCommands> commands;
};

} // namespace tallowmere
