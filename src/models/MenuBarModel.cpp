#include "models/MenuBarModel.h"

#include "base/Preferences.h"
#include "guard/ActivationDuration.h"
#include "models/VolumeNames.h"
#include "platform/Translation.h"

namespace tallowmere {
namespace {

using Commands = std::weak_ptr<AppCommands>;

// An item whose action reaches the commands only while they exist: the menu may outlive them at quit.
MenuEntry item(const Commands& commands, std::string title, std::function<void(AppCommands&)> body) {
    MenuEntry entry;
    entry.title = std::move(title);
    entry.action = [commands, body = std::move(body)] {
        if (auto strong = commands.lock())
            body(*strong);
    };
    return entry;
}

MenuEntry separator() {
    MenuEntry entry;
    entry.kind = MenuEntry::Kind::separator;
    return entry;
}

MenuEntry submenu(std::string title, std::vector<MenuEntry> children) {
    MenuEntry entry;
    entry.kind = MenuEntry::Kind::submenu;
    entry.title = std::move(title);
    entry.children = std::move(children);
    return entry;
}

// Whether the items say Unmount or Eject; each wording is a whole title of its own, for languages that place the
// verb elsewhere.
bool saysUnmount(const PreferenceStore& defaults) {
    return boolPreference(defaults, PreferenceKey::unmountInsteadOfEject);
}

std::vector<MenuEntry> volumeEntries(const Commands& commands, const MenuBarModel::Services& services) {
    const std::shared_ptr<ExternalDiskManager>& disks = services.diskManager;
    const std::vector<VolumeSelection> selections = sortedByName(disks->cachedVolumeSelections());
    std::vector<MenuEntry> entries;
    if (selections.empty()) {
        MenuEntry none;
        none.kind = MenuEntry::Kind::label;
        none.title = translated("MenuBarModel", "No external volumes detected");
        none.enabled = false;
        entries.push_back(std::move(none));
    }
    std::vector<std::string> ids;
    for (const VolumeSelection& selection : selections)
        ids.push_back(selection.id);
    for (const VolumeSelection& selection : selections) {
        // The new state is taken when chosen, from the allowlist as it is then.
        const std::string name = oneLineName(selection.name);
        MenuEntry volume = item(commands, middleElided(name, MenuBarModel::longestVolumeTitle),
                                [manager = disks, id = selection.id, ids](AppCommands&) {
                                    manager->setVolume(id, !manager->isIncluded(id), ids);
                                });
        if (volume.title != name)
            volume.toolTip = name;
        volume.checked = disks->isIncluded(selection.id);
        entries.push_back(std::move(volume));
    }
    entries.push_back(separator());
    PreferenceStore& defaults = services.preferences;
    MenuEntry force = item(commands, translated("MenuBarModel", "Force unmount when busy"), [&defaults](AppCommands&) {
        defaults.setBool(PreferenceKey::forceUnmountEnabled, !defaults.boolValue(PreferenceKey::forceUnmountEnabled));
    });
    force.checked = defaults.boolValue(PreferenceKey::forceUnmountEnabled);
    entries.push_back(std::move(force));
    return entries;
}

// The mark shows the chosen default duration, not whether the guard runs.
std::vector<MenuEntry> durationEntries(const Commands& commands, const PreferenceStore& defaults) {
    const std::int64_t marked = defaults.integerValue(PreferenceKey::activationDurationIndex);
    std::vector<MenuEntry> entries;
    for (ActivationDuration duration : allActivationDurations) {
        MenuEntry entry =
            item(commands, title(duration), [duration](AppCommands& app) { app.stayAwakeForDuration(duration); });
        entry.checked = static_cast<std::int64_t>(duration) == marked;
        entries.push_back(std::move(entry));
    }
    return entries;
}

MenuEntry settingsItem(const Commands& commands, std::string title, SettingsSection section) {
    return item(commands, std::move(title), [section](AppCommands& app) { app.showSettingsSection(section); });
}

} // namespace

MenuBarModel::MenuBarModel(std::weak_ptr<AppCommands> commands, Services services)
    : m_commands(std::move(commands))
    , m_services(std::move(services)) {}

std::vector<MenuEntry> MenuBarModel::entries() const {
    if (m_commands.expired())
        return {};
    const bool unmount = saysUnmount(m_services.preferences);
    const Commands& commands = m_commands;
    const ExternalDiskManager& disks = *m_services.diskManager;

    MenuEntry remount = item(commands, translated("MenuBarModel", "Remount Ejected Disks"),
                             [](AppCommands& app) { app.remountDisks(); });
    // One remount at a time: a second would only run the same retries again and report twice.
    remount.enabled = !disks.lastEjectedDisks().empty() && !disks.isRemounting();
    const std::string guardTitle = m_services.stayAwakeController->isActive()
                                       ? translated("MenuBarModel", "Turn Quenby Guard Off")
                                       : translated("MenuBarModel", "Turn Quenby Guard On");

    std::vector<MenuEntry> entries;
    entries.push_back(item(commands,
                           unmount ? translated("MenuBarModel", "Unmount External Disks")
                                   : translated("MenuBarModel", "Eject External Disks"),
                           [](AppCommands& app) { app.ejectDisks(); }));
    entries.push_back(
        item(commands,
             unmount ? translated("MenuBarModel", "Unmount and Sleep") : translated("MenuBarModel", "Eject and Sleep"),
             [](AppCommands& app) { app.ejectAndSleep(); }));
    entries.push_back(separator());
    entries.push_back(std::move(remount));
    entries.push_back(submenu(unmount ? translated("MenuBarModel", "Auto Unmount Volumes")
                                      : translated("MenuBarModel", "Auto Eject Volumes"),
                              volumeEntries(commands, m_services)));
    entries.push_back(separator());
    entries.push_back(item(commands, guardTitle, [](AppCommands& app) { app.toggleStayAwakeDefault(); }));
    entries.push_back(submenu(translated("MenuBarModel", "Quenby Guard for Duration"),
                              durationEntries(commands, m_services.preferences)));
    entries.push_back(separator());
    entries.push_back(settingsItem(commands, translated("MenuBarModel", "Settings…"), SettingsSection::general));
    entries.push_back(settingsItem(commands, translated("MenuBarModel", "About Tallowmere…"), SettingsSection::about));
    if (m_services.features.updater)
        entries.push_back(item(commands, translated("MenuBarModel", "Check for Updates…"),
                               [](AppCommands& app) { app.checkForUpdates(); }));
    entries.push_back(separator());
    entries.push_back(
        item(commands, translated("MenuBarModel", "Quit Tallowmere"), [](AppCommands& app) { app.quit(); }));
    return entries;
}

void MenuBarModel::menuWillOpen() {
    if (!m_commands.expired())
        m_services.diskManager->refreshVolumeSelections(
            std::vector<DiskType>(allDiskTypes.begin(), allDiskTypes.end()));
}

const char* MenuBarModel::iconSymbol(bool isActive) {
    return isActive ? "moon.stars.fill" : "moon.zzz";
}

} // namespace tallowmere
