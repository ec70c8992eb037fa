#pragma once

#include "app/AppCommands.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tallowmere {

// One position of the status item's menu, as the widget draws it.
struct MenuEntry {
    enum class Kind { action, separator, submenu, label };
    Kind kind = Kind::action;
    std::string title;
    std::string toolTip; // the whole text where the title is cut short
    bool enabled = true;
    bool checked = false;
    std::function<void()> action;    // for Kind::action
    std::vector<MenuEntry> children; // for Kind::submenu
};

// The content of the status item's menu: titles, check marks, enablement and what each item does, recomputed
// from the guard, the disk manager and the preferences each time it is asked. Main thread only. The widget
// redraws on the controller's `isActiveChanged` and the disk manager's list signals.
class MenuBarModel {
public:
    struct Services {
        PreferenceStore& preferences;
        std::shared_ptr<ExternalDiskManager> diskManager;
        std::shared_ptr<const StayAwakeController> stayAwakeController;
        PlatformFeatures features{}; // what the platform cannot do is not in the menu
    };

    MenuBarModel(std::weak_ptr<AppCommands> commands, Services services);

    // The fourteen positions, top to bottom (thirteen without an updater); nothing once the commands are gone.
    std::vector<MenuEntry> entries() const;
    // The menu came on screen: the volumes submenu follows what is mounted now.
    void menuWillOpen();

    static const char* iconSymbol(bool isActive);
    // A volume's title is cut to this many characters, so that a long name keeps the menu on the screen.
    static constexpr int longestVolumeTitle = 50;

private:
    std::weak_ptr<AppCommands> m_commands;
    Services m_services;
};

} // namespace tallowmere
