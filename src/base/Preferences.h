#pragma once

#include <array>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tallowmere {

class PreferenceStore;

// Every key of the application's defaults domain.
namespace PreferenceKey {
inline constexpr const char* autoEjectBeforeSleep = "autoEjectBeforeSleep";
inline constexpr const char* activateAutoEjectOnLaunch = "activateAutoEjectOnLaunch";
inline constexpr const char* autoEjectTriggers = "autoEjectTriggers";
inline constexpr const char* autoEjectTrigger = "autoEjectTrigger";
inline constexpr const char* autoEjectRemountDelaySeconds = "autoEjectRemountDelaySeconds";
inline constexpr const char* forceUnmountEnabled = "forceUnmountEnabled";
inline constexpr const char* unmountInsteadOfEject = "unmountInsteadOfEject";
inline constexpr const char* ejectHardDisksAndSSDs = "ejectHardDisksAndSSDs";
inline constexpr const char* ejectDVDsAndCDs = "ejectDVDsAndCDs";
inline constexpr const char* ejectDiskImages = "ejectDiskImages";
inline constexpr const char* ejectNetworkDrives = "ejectNetworkDrives";
inline constexpr const char* ejectSDCards = "ejectSDCards";
inline constexpr const char* autoEjectAllowedVolumeIds = "autoEjectAllowedVolumeIds";
inline constexpr const char* autoEjectSeenVolumeIds = "autoEjectSeenVolumeIds";
inline constexpr const char* stayAwakeEnabled = "stayAwakeEnabled";
inline constexpr const char* activationDurationIndex = "activationDurationIndex";
inline constexpr const char* useCustomStayAwakeDefault = "useCustomStayAwakeDefault";
inline constexpr const char* customStayAwakeSeconds = "customStayAwakeSeconds";
inline constexpr const char* activateStayAwakeOnLaunch = "activateStayAwakeOnLaunch";
inline constexpr const char* allowDisplaySleep = "allowDisplaySleep";
inline constexpr const char* activateOnExternalDisplay = "activateOnExternalDisplay";
inline constexpr const char* deactivateOnUserSwitch = "deactivateOnUserSwitch";
inline constexpr const char* batteryCap = "batteryCap";
inline constexpr const char* disableOnLowPower = "disableOnLowPower";
inline constexpr const char* startAtLogin = "startAtLogin";
inline constexpr const char* analyticsEnabled = "AnalyticsEnabled";
inline constexpr const char* settingsTabIndex = "settingsTabIndex";
inline constexpr const char* hasLaunchedOnce = "hasLaunchedOnce";
inline constexpr const char* hasCompletedOnboarding = "hasCompletedOnboarding";
inline constexpr const char* hasCheckedFullDiskAccess = "hasCheckedFullDiskAccess";
} // namespace PreferenceKey

// What the application does, and its settings and menu show, while a key has never been written. One table for
// every reader; a key it does not name reads as the store's zero value (false, 0).
bool boolPreference(const PreferenceStore& store, std::string_view key);
// A stored number that is not finite reads as the default too.
double doublePreference(const PreferenceStore& store, std::string_view key);

// The kinds of external volume the user can include.
enum class DiskType { hardDisksAndSSDs = 0, dvdsAndCDs = 1, diskImages = 2, networkDrives = 3, sdCards = 4 };

inline constexpr std::array<DiskType, 5> allDiskTypes = {
    DiskType::hardDisksAndSSDs, DiskType::dvdsAndCDs, DiskType::diskImages, DiskType::networkDrives, DiskType::sdCards};

std::optional<DiskType> diskTypeFromRawValue(int rawValue);
// What the settings call the kind, in the user's language.
std::string title(DiskType type);
const char* inclusionKey(DiskType type);

// The events that can start an automatic eject; stored by raw value.
enum class AutoEjectTrigger { systemSleep, displaySleep, screenLocked, screensaver };

inline constexpr std::array<AutoEjectTrigger, 4> allAutoEjectTriggers = {
    AutoEjectTrigger::systemSleep, AutoEjectTrigger::displaySleep, AutoEjectTrigger::screenLocked,
    AutoEjectTrigger::screensaver};

std::optional<AutoEjectTrigger> autoEjectTriggerFromRawValue(std::string_view rawValue);
const char* rawValue(AutoEjectTrigger trigger);
std::string title(AutoEjectTrigger trigger);
const char* remountEventTitle(AutoEjectTrigger trigger);

using AutoEjectTriggerSet = std::set<AutoEjectTrigger>;

enum class EjectEvent { beforeSleep, afterDisplayOff, beforeLogout };
inline constexpr std::array<EjectEvent, 3> allEjectEvents = {EjectEvent::beforeSleep, EjectEvent::afterDisplayOff,
                                                             EjectEvent::beforeLogout};
const char* title(EjectEvent event);

// The kinds whose inclusion keys read true (absent ones as their defaults), in raw-value order; all five when the
// user switched every one off.
std::vector<DiskType> enabledDiskTypes(const PreferenceStore& store);

// The stored trigger set, migrating the older single-trigger key; {systemSleep} when nothing usable is stored.
AutoEjectTriggerSet loadAutoEjectTriggers(PreferenceStore& store);

// The same load for the Auto Eject settings page, which also writes back the fallback set it arrived at.
AutoEjectTriggerSet loadAutoEjectTriggersWritingFallback(PreferenceStore& store);

// The stored form of a trigger set: an array of raw values.
void storeAutoEjectTriggers(PreferenceStore& store, const AutoEjectTriggerSet& triggers);

} // namespace tallowmere
