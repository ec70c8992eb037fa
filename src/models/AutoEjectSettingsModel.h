#pragma once

#include "app/ProtectionLoop.h"
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
    // Whether a volume load shows the loading indicator meanwhile.
    enum class Loading { shown, quiet };
    static constexpr double remountDelayMinimum = 0.0;
    // As long as the protection loop waits at most.
    static constexpr double remountDelayMaximum = ProtectionLoop::longestRemountDelay;
    static constexpr double remountDelayStep = 0.5;
    // The list is read this long after asking for a refresh, which is done by then unless a volume is slow.
    static constexpr Seconds volumeReadDelay{0.3};

    AutoEjectSettingsModel(Runtime& runtime, PreferenceStore& preferences,
                           std::shared_ptr<ExternalDiskManager> diskManager);

    static std::string title(Toggle toggle);
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
    void loadVolumes(Loading loading);
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
