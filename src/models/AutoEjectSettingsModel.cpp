#include "models/AutoEjectSettingsModel.h"

#include "models/VolumeNames.h"
#include "platform/Translation.h"

#include <QPointer>
#include <QString>

#include <algorithm>
#include <cmath>

namespace tallowmere {
namespace {

struct ToggleBinding {
    std::string title;
    const char* key;
};

ToggleBinding kind(DiskType type) {
    return {tallowmere::title(type), inclusionKey(type)};
}

ToggleBinding binding(AutoEjectSettingsModel::Toggle toggle) {
    using Toggle = AutoEjectSettingsModel::Toggle;
    switch (toggle) {
    case Toggle::autoEjectBeforeSleep:
        return {translated("AutoEjectSettingsModel", "Auto Eject Before Sleep"), PreferenceKey::autoEjectBeforeSleep};
    case Toggle::activateAutoEjectOnLaunch:
        return {translated("AutoEjectSettingsModel", "Activate Auto Eject on Launch"),
                PreferenceKey::activateAutoEjectOnLaunch};
    case Toggle::ejectHardDisksAndSSDs:
        return kind(DiskType::hardDisksAndSSDs);
    case Toggle::ejectDiskImages:
        return kind(DiskType::diskImages);
    case Toggle::ejectSDCards:
        return kind(DiskType::sdCards);
    case Toggle::ejectDVDsAndCDs:
        return kind(DiskType::dvdsAndCDs);
    case Toggle::ejectNetworkDrives:
        return kind(DiskType::networkDrives);
    case Toggle::unmountInsteadOfEject:
        return {translated("AutoEjectSettingsModel", "Unmount instead of ejecting"),
                PreferenceKey::unmountInsteadOfEject};
    case Toggle::forceUnmountEnabled:
        return {translated("AutoEjectSettingsModel", "Force unmount when busy"), PreferenceKey::forceUnmountEnabled};
    }
    return {{}, ""};
}

} // namespace

AutoEjectSettingsModel::AutoEjectSettingsModel(Runtime& runtime, PreferenceStore& preferences,
                                               std::shared_ptr<ExternalDiskManager> diskManager)
    : m_runtime(runtime)
    , m_preferences(preferences)
    , m_diskManager(std::move(diskManager))
    , m_subscription(runtime, preferences, [this] { preferencesDidChange(); }) {
    connect(m_diskManager.get(), &ExternalDiskManager::cachedVolumeSelectionsChanged, this, [this] {
        m_volumeSelections = sortedByName(m_diskManager->cachedVolumeSelections());
        emit changed();
    });
}

std::string AutoEjectSettingsModel::title(Toggle toggle) {
    return binding(toggle).title;
}

bool AutoEjectSettingsModel::isOn(Toggle toggle) const {
    return boolPreference(m_preferences, binding(toggle).key);
}

void AutoEjectSettingsModel::setOn(Toggle toggle, bool on) {
    m_preferences.setBool(binding(toggle).key, on);
    emit changed();
}

bool AutoEjectSettingsModel::isTriggerSelected(AutoEjectTrigger trigger) const {
    return m_selectedTriggers.contains(trigger);
}

void AutoEjectSettingsModel::setTrigger(AutoEjectTrigger trigger, bool isOn) {
    if (isOn)
        m_selectedTriggers.insert(trigger);
    else
        m_selectedTriggers.erase(trigger);
    // An empty set is stored as it stands; the next load falls back to the older key or to system sleep.
    storeAutoEjectTriggers(m_preferences, m_selectedTriggers);
    emit changed();
}

void AutoEjectSettingsModel::loadTriggers() {
    m_selectedTriggers = loadAutoEjectTriggersWritingFallback(m_preferences);
    emit changed();
}

double AutoEjectSettingsModel::remountDelaySeconds() const {
    return std::clamp(doublePreference(m_preferences, PreferenceKey::autoEjectRemountDelaySeconds), remountDelayMinimum,
                      remountDelayMaximum);
}

std::string AutoEjectSettingsModel::remountDelayText() const {
    // Not the user's locale: the text is "3.0s" everywhere.
    return QString::asprintf("%.1fs", remountDelaySeconds()).toStdString();
}

void AutoEjectSettingsModel::setRemountDelaySeconds(double seconds) {
    if (!std::isfinite(seconds))
        return;
    const double stepped = std::round(seconds / remountDelayStep) * remountDelayStep;
    m_preferences.setDouble(PreferenceKey::autoEjectRemountDelaySeconds,
                            std::clamp(stepped, remountDelayMinimum, remountDelayMaximum));
    emit changed();
}

void AutoEjectSettingsModel::loadVolumes(Loading loading) {
    if (loading == Loading::shown) {
        m_isLoadingVolumes = true;
        emit changed();
    }
    // Every kind is listed, whatever the page's kind switches say.
    m_diskManager->refreshVolumeSelections(std::vector<DiskType>(allDiskTypes.begin(), allDiskTypes.end()));
    // A refresh still running by then leaves the previous list; its publication replaces it when it arrives.
    m_runtime.mainAfter(volumeReadDelay, [self = QPointer(this)] {
        if (!self)
            return;
        self->m_volumeSelections = sortedByName(self->m_diskManager->cachedVolumeSelections());
        self->m_isLoadingVolumes = false;
        emit self->changed();
    });
}

bool AutoEjectSettingsModel::isVolumeIncluded(const VolumeSelection& volume) const {
    return m_diskManager->isIncluded(volume.id);
}

void AutoEjectSettingsModel::setVolumeIncluded(const VolumeSelection& volume, bool included) {
    std::vector<std::string> listedIds;
    for (const VolumeSelection& listed : m_volumeSelections)
        listedIds.push_back(listed.id);
    m_diskManager->setVolume(volume.id, included, listedIds);
    loadVolumes(Loading::quiet);
}

void AutoEjectSettingsModel::pageDidAppear() {
    loadTriggers();
    loadVolumes(Loading::shown);
}

void AutoEjectSettingsModel::preferencesDidChange() {
    // The trigger switches follow a list written elsewhere; an unusable stored value leaves them as they are.
    if (auto stored = m_preferences.object(PreferenceKey::autoEjectTriggers)) {
        if (auto texts = stringArray(*stored)) {
            m_selectedTriggers.clear();
            for (const std::string& text : *texts)
                if (auto trigger = autoEjectTriggerFromRawValue(text))
                    m_selectedTriggers.insert(*trigger);
        }
    }
    emit changed();
}

} // namespace tallowmere
