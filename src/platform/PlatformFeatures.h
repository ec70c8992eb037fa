#pragma once

#include "platform/ProcessRunner.h"
#include "platform/Workspace.h"

#include <optional>
#include <string>
#include <vector>

namespace tallowmere {

// How the texts name the machine: "your Mac" on a Mac, "your computer" anywhere else.
enum class MachineKind { mac, computer };

// A page of the system's settings: a URL (a pane of a Mac's System Settings) or, when that is empty, a program to
// run (a desktop's own settings).
struct SystemSettingsPage {
    std::string url;
    std::vector<std::string> command;
    bool operator==(const SystemSettingsPage&) const = default;
};

// What the platform offers beyond its ports. What it lacks is not offered at all: no menu item, page or prompt
// leads to something that cannot work. By default a Mac.
struct PlatformFeatures {
    MachineKind machine = MachineKind::mac;
    bool updater = true;
    // A permission that guards the protected folders, asked for in the system's settings.
    bool fullDiskAccess = true;
    // Where the user turns the application's notifications on and off; nothing when no page is known.
    std::optional<SystemSettingsPage> notificationSettings =
        SystemSettingsPage{"x-apple.systempreferences:com.apple.preference.notifications", {}};
    // A tray or menu bar that shows the status item; without one the application is reached through its
    // desktop entry's actions and its command line.
    bool statusArea = true;
    // The desktop's name ($XDG_CURRENT_DESKTOP); empty on a Mac.
    std::string desktop;

    // A Linux desktop by $XDG_CURRENT_DESKTOP (names separated by colons, "ubuntu:GNOME"), and whether a tray
    // host is there: no updater (the package manager updates), no Full Disk Access, GNOME's and KDE Plasma's own
    // notification settings.
    static PlatformFeatures linuxDesktop(const std::string& currentDesktop, bool statusArea);
};

// Opens the page: the URL through the workspace, the program as an argument vector. False when nothing opened.
bool openSystemSettingsPage(const SystemSettingsPage& page, Workspace& workspace, ProcessRunner& processes);

} // namespace tallowmere
