#pragma once

#include "models/PreferenceBinding.h"
#include "platform/PlatformFeatures.h"
#include "platform/PowerSources.h"
#include "platform/PreferenceStore.h"
#include "platform/Runtime.h"

#include <QObject>

#include <optional>
#include <string>

namespace tallowmere {

// The Battery page: the charge threshold and the Low Power Mode rule of Quenby Guard. Read-only on a Mac
// without a battery. Main thread; create one per showing of the page.
class BatterySettingsModel : public QObject {
    Q_OBJECT

public:
    static constexpr double batteryCapMinimum = 5;
    static constexpr double batteryCapMaximum = 95;

    // `machine` names the machine in the note.
    BatterySettingsModel(Runtime& runtime, PreferenceStore& preferences, PowerSources& powerSources,
                         MachineKind machine = MachineKind::mac);

    // The threshold as the page shows it: 20 until the slider is first moved (the rule itself stays off till then).
    double batteryCap() const;
    // "Deactivate below 20%"
    std::string thresholdText() const;
    // Stored as a whole percentage within the slider's range.
    void setBatteryCap(double percent);
    bool disableOnLowPower() const;
    void setDisableOnLowPower(bool enabled);

    bool hasBattery() const { return m_hasBattery; }
    bool checkedBattery() const { return m_checkedBattery; }
    // Without a battery the section is disabled and drawn faded.
    bool isEditable() const { return m_hasBattery; }
    double sectionOpacity() const { return m_hasBattery ? 1.0 : 0.4; }
    // The note under the section; nothing while there is a battery.
    std::optional<std::string> note() const;

    // Each time the page comes on screen; the battery is looked for once per model.
    void pageDidAppear();

signals:
    void changed();

private:
    void preferencesDidChange();

    PreferenceStore& m_preferences;
    PowerSources& m_powerSources;
    MachineKind m_machine;
    bool m_hasBattery = true;
    bool m_checkedBattery = false;
    PreferenceSubscription m_subscription;
};

} // namespace tallowmere
