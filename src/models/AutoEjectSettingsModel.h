#pragma once

#include "base/Preferences.h"
#include "disks/ExternalDiskManager.h"
#include "models/PreferenceBinding.h"
#include "platform/PreferenceStore.h"
#include "platform/Runtime.h"

#include <QObject>

#include <memory>
#include <string>
#include <vector>

namespace tallowmere {

// The Auto Eject page: arming, triggers, kinds of volume, how to eject, the remount delay and the volume
// allowlist. Main thread; create one per showing of the page.
class AutoEjectSettingsModel : public QObject {
    Q_OBJECT

public:
    // The page's switches bound to Boolean preferences, in page order.
    enum class Toggle {
        autoEjectBeforeSleep,
        activateAutoEjectOnLaunch,
        ejectHardDisksAndSSDs,
        ejectDiskImages,
        ejectSDCards,
        ejectDVDsAndCDs,
        ejectNetworkDrives,
        unmountInsteadOfEject,
        forceUnmountEnabled,
    };
    static constexpr double remountDelayMinimum = 0.0;
    static constexpr double remountDelayMaximum = 15.0;
    static constexpr double remountDelayStep = 0.5;
    static constexpr Seconds volumeReadDelay{0.3};

    AutoEjectSettingsModel(Runtime& runtime, PreferenceStore& preferences,
                           std::shared_ptr<ExternalDiskManager> diskManager);

    static const char* title(Toggle toggle);
    bool isOn(Toggle toggle) const;
    void setOn(Toggle toggle, bool on);

    // Triggers.
    bool isTriggerSelected(AutoEjectTrigger trigger) const;
    void setTrigger(AutoEjectTrigger trigger, bool isOn);
    void loadTriggers();

    // The remount delay as the slider shows it: within 0…15 whatever is stored.
    double remountDelaySeconds() const;
    // "3.0s"
    std::string remountDelayText() const;
    // Kept within the slider's range, on its 0.5-second steps.
    void setRemountDelaySeconds(double seconds);

    // Volumes, by name.
    const std::vector<VolumeSelection>& volumeSelections() const { return m_volumeSelections; }
    bool isLoadingVolumes() const { return m_isLoadingVolumes; }
    // Refreshes the manager's list with every kind of volume and reads it 0.3 seconds later.
    void loadVolumes(bool showLoading);
    bool isVolumeIncluded(const VolumeSelection& volume) const;
    void setVolumeIncluded(const VolumeSelection& volume, bool included);

    // Each time the page comes on screen.
    void pageDidAppear();

signals:
    void changed();

private:
    void preferencesDidChange();

    Runtime& m_runtime;
    PreferenceStore& m_preferences;
    std::shared_ptr<ExternalDiskManager> m_diskManager;
    AutoEjectTriggerSet m_selectedTriggers;
    std::vector<VolumeSelection> m_volumeSelections;
    bool m_isLoadingVolumes = false;
    PreferenceSubscription m_subscription;
};

} // namespace tallowmere
