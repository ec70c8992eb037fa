#include "models/BatterySettingsModel.h"

#include "base/MachineTexts.h"
#include "base/Preferences.h"
#include "guard/BatteryRules.h"
#include "platform/Translation.h"

#include <QString>

#include <algorithm>
#include <cmath>

namespace tallowmere {
BatterySettingsModel::BatterySettingsModel(Runtime& runtime, PreferenceStore& preferences, PowerSources& powerSources,
                                           MachineKind machine)
    : m_preferences(preferences)
    , m_powerSources(powerSources)
    , m_machine(machine)
    , m_subscription(runtime, preferences, [this] { preferencesDidChange(); }) {}

double BatterySettingsModel::batteryCap() const {
    return doublePreference(m_preferences, PreferenceKey::batteryCap);
}

std::string BatterySettingsModel::thresholdText() const {
    // The fraction is dropped, not rounded; adding 0 turns a negative zero into "0".
    return filledIn(translated("BatterySettingsModel", "Deactivate below %1%"),
                    QString::asprintf("%.0f", std::trunc(batteryCap()) + 0.0).toStdString());
}

void BatterySettingsModel::setBatteryCap(double percent) {
    if (!m_hasBattery || !std::isfinite(percent))
        return;
    // std::round takes halves away from zero: 20.5 stores 21.
    m_preferences.setDouble(PreferenceKey::batteryCap,
                            std::round(std::clamp(percent, batteryCapMinimum, batteryCapMaximum)));
    emit changed();
}

bool BatterySettingsModel::disableOnLowPower() const {
    return m_preferences.boolValue(PreferenceKey::disableOnLowPower);
}

void BatterySettingsModel::setDisableOnLowPower(bool enabled) {
    if (!m_hasBattery)
        return;
    m_preferences.setBool(PreferenceKey::disableOnLowPower, enabled);
    emit changed();
}

std::optional<std::string> BatterySettingsModel::note() const {
    if (m_hasBattery)
        return std::nullopt;
    return machineText(MachineText::noBattery, m_machine);
}

void BatterySettingsModel::pageDidAppear() {
    if (m_checkedBattery)
        return;
    m_hasBattery = hasInternalBattery(m_powerSources);
    m_checkedBattery = true;
    emit changed();
}

void BatterySettingsModel::preferencesDidChange() {
    // The threshold is a whole percentage whoever writes it, as long as the page is open to see the change;
    // without a battery the page edits nothing.
    const double stored = m_preferences.doubleValue(PreferenceKey::batteryCap);
    if (m_hasBattery && m_preferences.hasObject(PreferenceKey::batteryCap) && std::isfinite(stored) &&
        stored != std::round(stored))
        m_preferences.setDouble(PreferenceKey::batteryCap, std::round(stored));
    emit changed();
}

} // namespace tallowmere
