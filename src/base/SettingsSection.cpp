#include "base/SettingsSection.h"

#include "base/Preferences.h"
#include "platform/PreferenceStore.h"
#include "platform/Translation.h"

#include <algorithm>

namespace tallowmere {

std::optional<SettingsSection> settingsSectionFromRawValue(long long rawValue) {
    if (rawValue < 0 || rawValue >= static_cast<long long>(allSettingsSections.size()))
        return std::nullopt;
    return static_cast<SettingsSection>(rawValue);
}

std::string title(SettingsSection section) {
    switch (section) {
    case SettingsSection::general:
        return translated("SettingsSection", "General");
    case SettingsSection::quenbyGuard:
        return translated("SettingsSection", "Quenby Guard");
    case SettingsSection::autoEject:
        return translated("SettingsSection", "Auto Eject");
    case SettingsSection::battery:
        return translated("SettingsSection", "Battery");
    case SettingsSection::updates:
        return translated("SettingsSection", "Updates");
    case SettingsSection::about:
        return translated("SettingsSection", "About");
    }
    return {};
}

const char* symbolName(SettingsSection section) {
    switch (section) {
    case SettingsSection::general:
        return "gearshape";
    case SettingsSection::quenbyGuard:
        return "timer";
    case SettingsSection::autoEject:
        return "externaldrive";
    case SettingsSection::battery:
        return "battery.100";
    case SettingsSection::updates:
        return "globe";
    case SettingsSection::about:
        return "info.circle";
    }
    return "";
}

std::vector<SettingsSection> availableSettingsSections(const PlatformFeatures& features) {
    std::vector<SettingsSection> sections;
    for (SettingsSection section : allSettingsSections)
        if (section != SettingsSection::updates || features.updater)
            sections.push_back(section);
    return sections;
}

SettingsSection sectionToShow(const PreferenceStore& preferences, const PlatformFeatures& features) {
    const std::optional<SettingsSection> remembered =
        settingsSectionFromRawValue(preferences.integerValue(PreferenceKey::settingsTabIndex));
    if (remembered && std::ranges::count(availableSettingsSections(features), *remembered) > 0)
        return *remembered;
    return SettingsSection::general;
}

void rememberSection(PreferenceStore& preferences, SettingsSection section) {
    preferences.setInteger(PreferenceKey::settingsTabIndex, static_cast<int>(section));
}

} // namespace tallowmere
