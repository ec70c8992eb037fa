#include "models/MenuBarModel.h"

#include "app/AppDelegate.h"
#include "base/Preferences.h"
#include "guard/ActivationDuration.h"
#include "models/VolumeNames.h"

namespace tallowmere {
namespace {

using Delegate = std::weak_ptr<AppDelegate>;

// An item whose action reaches the delegate only while it exists: the menu may outlive it at quit.
MenuEntry item(const Delegate& delegate, std::string title, std::function<void(AppDelegate&)> body) {
    MenuEntry entry;
    entry.title = std::move(title);
    entry.action = [delegate, body = std::move(body)] {
        if (auto strong = delegate.lock())
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

const char* wording(const PreferenceStore& defaults) {
    return boolPreference(defaults, PreferenceKey::unmountInsteadOfEject) ? "Unmount" : "Eject";
}

std::vector<MenuEntry> volumeEntries(const Delegate& weak, AppDelegate& delegate) {
    ExternalDiskManager& disks = delegate.diskManager();
    const std::vector<VolumeSelection> selections = sortedByName(disks.cachedVolumeSelections());
    std::vector<MenuEntry> entries;
    if (selections.empty()) {
        MenuEntry none;
        none.kind = MenuEntry::Kind::label;
        none.title = "No external volumes detected";
        none.enabled = false;
        entries.push_back(std::move(none));
    }
    std::vector<std::string> ids;
    for (const VolumeSelection& selection : selections)
        ids.push_back(selection.id);
    for (const VolumeSelection& selection : selections) {
        // The new state is taken when chosen, from the allowlist as it is then.
        const std::string name = oneLineName(selection.name);
        MenuEntry volume = item(weak, middleElided(name, MenuBarModel::longestVolumeTitle),
                                [id = selection.id, ids](AppDelegate& self) {
                                    ExternalDiskManager& manager = self.diskManager();
                                    manager.setVolume(id, !manager.isIncluded(id), ids);
                                });
        if (volume.title != name)
            volume.toolTip = name;
        volume.checked = disks.isIncluded(selection.id);
        entries.push_back(std::move(volume));
    }
    entries.push_back(separator());
    MenuEntry force = item(weak, "Force unmount when busy", [](AppDelegate& self) {
        PreferenceStore& defaults = self.defaults();
        defaults.setBool(PreferenceKey::forceUnmountEnabled, !defaults.boolValue(PreferenceKey::forceUnmountEnabled));
    });
    force.checked = delegate.defaults().boolValue(PreferenceKey::forceUnmountEnabled);
    entries.push_back(std::move(force));
    return entries;
}

// The mark shows the chosen default duration, not whether the guard runs.
std::vector<MenuEntry> durationEntries(const Delegate& weak, AppDelegate& delegate) {
    const std::int64_t marked = delegate.defaults().integerValue(PreferenceKey::activationDurationIndex);
    std::vector<MenuEntry> entries;
    for (ActivationDuration duration : allActivationDurations) {
        const long long raw = static_cast<long long>(duration);
        MenuEntry entry = item(weak, title(duration), [raw](AppDelegate& self) { self.stayAwakeForDuration(raw); });
        entry.checked = raw == marked;
        entries.push_back(std::move(entry));
    }
    return entries;
}

MenuEntry settingsItem(const Delegate& weak, std::string title, std::int64_t section) {
    return item(weak, std::move(title), [section](AppDelegate& self) {
        self.defaults().setInteger(PreferenceKey::settingsTabIndex, section);
        self.showSettings();
    });
}

} // namespace

MenuBarModel::MenuBarModel(std::shared_ptr<AppDelegate> delegate)
    : m_delegate(std::move(delegate)) {}

std::vector<MenuEntry> MenuBarModel::entries() const {
    auto delegate = m_delegate.lock();
    if (!delegate)
        return {};
    const std::string w = wording(delegate->defaults());
    const Delegate& weak = m_delegate;

    MenuEntry remount = item(weak, "Remount Ejected Disks", [](AppDelegate& self) { self.remountDisks(); });
    // One remount at a time: a second would only run the same retries again and report twice.
    remount.enabled = !delegate->diskManager().lastEjectedDisks().empty() && !delegate->diskManager().isRemounting();
    const char* guardTitle =
        delegate->stayAwakeController().isActive() ? "Turn Quenby Guard Off" : "Turn Quenby Guard On";

    std::vector<MenuEntry> entries;
    entries.push_back(item(weak, w + " External Disks", [](AppDelegate& self) { self.ejectDisks(); }));
    entries.push_back(item(weak, w + " and Sleep", [](AppDelegate& self) { self.ejectAndSleep(); }));
    entries.push_back(separator());
    entries.push_back(std::move(remount));
    entries.push_back(submenu("Auto " + w + " Volumes", volumeEntries(weak, *delegate)));
    entries.push_back(separator());
    entries.push_back(item(weak, guardTitle, [](AppDelegate& self) { self.toggleStayAwakeDefault(); }));
    entries.push_back(submenu("Quenby Guard for Duration", durationEntries(weak, *delegate)));
    entries.push_back(separator());
    entries.push_back(settingsItem(weak, "Settings…", 0));
    entries.push_back(settingsItem(weak, "About Tallowmere…", 5));
    entries.push_back(item(weak, "Check for Updates…", [](AppDelegate& self) { self.checkForUpdates(); }));
    entries.push_back(separator());
    entries.push_back(item(weak, "Quit Tallowmere", [](AppDelegate& self) { self.quit(); }));
    return entries;
}

void MenuBarModel::menuWillOpen() {
    if (auto delegate = m_delegate.lock())
        delegate->diskManager().refreshVolumeSelections(
            std::vector<DiskType>(allDiskTypes.begin(), allDiskTypes.end()));
}

const char* MenuBarModel::iconSymbol(bool isActive) {
    return isActive ? "moon.stars.fill" : "moon.zzz";
}

} // namespace tallowmere
