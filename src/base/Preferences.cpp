#include "base/Preferences.h"

#include "platform/PreferenceStore.h"
#include "platform/Translation.h"

#include <cmath>
#include <variant>

namespace tallowmere {
namespace {

struct PreferenceDefault {
    std::string_view key;
    std::variant<bool, double> value;
};

// Seeded at launch or shown by a control while absent: the application acts on the same values.
constexpr PreferenceDefault preferenceDefaults[] = {
    {PreferenceKey::unmountInsteadOfEject, true},
    {PreferenceKey::ejectHardDisksAndSSDs, true},
    {PreferenceKey::ejectDVDsAndCDs, true},
    {PreferenceKey::ejectDiskImages, true},
    {PreferenceKey::ejectNetworkDrives, true},
    {PreferenceKey::ejectSDCards, false},
    {PreferenceKey::autoEjectRemountDelaySeconds, 3.0},
    {PreferenceKey::batteryCap, 20.0},
    {PreferenceKey::startAtLogin, true},
    {PreferenceKey::analyticsEnabled, true},
};

template <class T> T defaultValue(std::string_view key) {
    for (const PreferenceDefault& entry : preferenceDefaults)
        if (entry.key == key)
            if (const T* value = std::get_if<T>(&entry.value))
                return *value;
    return T{};
}

} // namespace

bool boolPreference(const PreferenceStore& store, std::string_view key) {
    return store.hasObject(key) ? store.boolValue(key) : defaultValue<bool>(key);
}

double doublePreference(const PreferenceStore& store, std::string_view key) {
    // A stored NaN or infinity is no setting a control could show.
    const double stored = store.doubleValue(key);
    return store.hasObject(key) && std::isfinite(stored) ? stored : defaultValue<double>(key);
}

std::optional<DiskType> diskTypeFromRawValue(int rawValue) {
    if (rawValue < 0 || rawValue >= static_cast<int>(allDiskTypes.size()))
        return std::nullopt;
    return static_cast<DiskType>(rawValue);
}

std::string title(DiskType type) {
    switch (type) {
    case DiskType::hardDisksAndSSDs:
        return translated("DiskType", "Hard disks and SSDs");
    case DiskType::dvdsAndCDs:
        return translated("DiskType", "DVDs and CDs");
    case DiskType::diskImages:
        return translated("DiskType", "Disk images");
    case DiskType::networkDrives:
        return translated("DiskType", "Network drives");
    case DiskType::sdCards:
        return translated("DiskType", "SD cards");
    }
    return {};
}

const char* inclusionKey(DiskType type) {
    switch (type) {
    case DiskType::hardDisksAndSSDs:
        return PreferenceKey::ejectHardDisksAndSSDs;
    case DiskType::dvdsAndCDs:
        return PreferenceKey::ejectDVDsAndCDs;
    case DiskType::diskImages:
        return PreferenceKey::ejectDiskImages;
    case DiskType::networkDrives:
        return PreferenceKey::ejectNetworkDrives;
    case DiskType::sdCards:
        return PreferenceKey::ejectSDCards;
    }
    return "";
}

std::optional<AutoEjectTrigger> autoEjectTriggerFromRawValue(std::string_view value) {
    for (AutoEjectTrigger trigger : allAutoEjectTriggers)
        if (value == rawValue(trigger))
            return trigger;
    return std::nullopt;
}

const char* rawValue(AutoEjectTrigger trigger) {
    switch (trigger) {
    case AutoEjectTrigger::systemSleep:
        return "systemSleep";
    case AutoEjectTrigger::displaySleep:
        return "displaySleep";
    case AutoEjectTrigger::screenLocked:
        return "screenLocked";
    case AutoEjectTrigger::screensaver:
        return "screensaver";
    }
    return "";
}

std::string title(AutoEjectTrigger trigger) {
    switch (trigger) {
    case AutoEjectTrigger::systemSleep:
        return translated("AutoEjectTrigger", "System starts sleeping");
    case AutoEjectTrigger::displaySleep:
        return translated("AutoEjectTrigger", "Display turns off");
    case AutoEjectTrigger::screenLocked:
        return translated("AutoEjectTrigger", "Screen is locked");
    case AutoEjectTrigger::screensaver:
        return translated("AutoEjectTrigger", "Screensaver starts");
    }
    return {};
}

const char* remountEventTitle(AutoEjectTrigger trigger) {
    switch (trigger) {
    case AutoEjectTrigger::systemSleep:
        return "System wake";
    case AutoEjectTrigger::displaySleep:
        return "Display wakes";
    case AutoEjectTrigger::screenLocked:
        return "Screen unlocks";
    case AutoEjectTrigger::screensaver:
        return "Screensaver stops";
    }
    return "";
}

const char* title(EjectEvent event) {
    switch (event) {
    case EjectEvent::beforeSleep:
        return "Before System Sleeps";
    case EjectEvent::afterDisplayOff:
        return "After Display Turns Off";
    case EjectEvent::beforeLogout:
        return "Before Logout, Restart, Shutdown";
    }
    return "";
}

std::vector<DiskType> enabledDiskTypes(const PreferenceStore& store) {
    std::vector<DiskType> types;
    for (DiskType type : allDiskTypes)
        if (boolPreference(store, inclusionKey(type)))
            types.push_back(type);
    if (types.empty())
        types.assign(allDiskTypes.begin(), allDiskTypes.end());
    return types;
}

namespace {

AutoEjectTriggerSet loadTriggers(PreferenceStore& store, bool writeFallback) {
    if (auto stored = store.object(PreferenceKey::autoEjectTriggers)) {
        if (auto texts = stringArray(*stored)) {
            AutoEjectTriggerSet triggers;
            for (const std::string& text : *texts)
                if (auto trigger = autoEjectTriggerFromRawValue(text))
                    triggers.insert(*trigger);
            if (!triggers.empty())
                return triggers;
        }
    }
    if (auto older = store.stringValue(PreferenceKey::autoEjectTrigger)) {
        if (auto trigger = autoEjectTriggerFromRawValue(*older)) {
            AutoEjectTriggerSet triggers{*trigger};
            storeAutoEjectTriggers(store, triggers);
            return triggers;
        }
    }
    AutoEjectTriggerSet triggers{AutoEjectTrigger::systemSleep};
    if (writeFallback)
        storeAutoEjectTriggers(store, triggers);
    return triggers;
}

} // namespace

AutoEjectTriggerSet loadAutoEjectTriggers(PreferenceStore& store) {
    return loadTriggers(store, false);
}

AutoEjectTriggerSet loadAutoEjectTriggersWritingFallback(PreferenceStore& store) {
    return loadTriggers(store, true);
}

void storeAutoEjectTriggers(PreferenceStore& store, const AutoEjectTriggerSet& triggers) {
    PropertyArray values;
    for (AutoEjectTrigger trigger : triggers)
        values.emplace_back(rawValue(trigger));
    store.setArray(PreferenceKey::autoEjectTriggers, std::move(values));
}

} // namespace tallowmere
