#pragma once

#include "platform/PlatformFeatures.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tallowmere {

class PreferenceStore;

// The sections of the settings window, in sidebar order; stored by raw value in `settingsTabIndex`.
enum class SettingsSection { general = 0, quenbyGuard, autoEject, battery, updates, about };

inline constexpr std::array<SettingsSection, 6> allSettingsSections = {
    SettingsSection::general, SettingsSection::quenbyGuard, SettingsSection::autoEject,
    SettingsSection::battery, SettingsSection::updates,     SettingsSection::about};

std::optional<SettingsSection> settingsSectionFromRawValue(long long rawValue);
// The sidebar's title, in the user's language.
std::string title(SettingsSection section);
const char* symbolName(SettingsSection section);

// The sections the platform can fill, in sidebar order: no Updates page without an updater.
std::vector<SettingsSection> availableSettingsSections(const PlatformFeatures& features);
// The section the window shows when it comes on screen: the remembered one, or `general` when none is usable or
// the platform has no such page.
SettingsSection sectionToShow(const PreferenceStore& preferences, const PlatformFeatures& features);
// Remembers the section on every change of selection, so the next window opens on it.
void rememberSection(PreferenceStore& preferences, SettingsSection section);

} // namespace tallowmere
