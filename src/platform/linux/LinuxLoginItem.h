#pragma once

#include "platform/LoginItem.h"

#include <string>

namespace tallowmere {

// The login item as an XDG autostart entry: $XDG_CONFIG_HOME/autostart/tallowmere.desktop (~/.config by
// default), which starts this executable on the Linux platform when the user logs in.
class LinuxLoginItem : public LoginItem {
public:
    explicit LinuxLoginItem(std::string executable);
    bool registerApp() override;
    // Fails, like the Mac's service, when the item is not registered.
    bool unregisterApp() override;

    static std::string entryPath();
    // The entry's Exec value: the program quoted as the desktop entry rules require.
    static std::string execLine(const std::string& executable);

private:
    std::string m_executable;
};

} // namespace tallowmere
