#include "models/GeneralSettingsModel.h"

#include "base/Preferences.h"

namespace tallowmere {

GeneralSettingsModel::GeneralSettingsModel(Services services, StartAtLoginCommand setStartAtLogin)
    : m_preferences(services.preferences)
    , m_workspace(services.workspace)
    , m_processes(services.processes)
    , m_notificationSettings(services.features.notificationSettings)
    , m_setStartAtLogin(std::move(setStartAtLogin))
    , m_appliedStartAtLogin(startAtLogin())
    , m_subscription(services.runtime, services.preferences, [this] {
        applyStartAtLoginIfChanged();
        emit changed();
    }) {}

bool GeneralSettingsModel::startAtLogin() const {
    return boolPreference(m_preferences, PreferenceKey::startAtLogin);
}

void GeneralSettingsModel::setStartAtLogin(bool enabled) {
    m_preferences.setBool(PreferenceKey::startAtLogin, enabled);
    applyStartAtLoginIfChanged();
    emit changed();
}

void GeneralSettingsModel::applyStartAtLoginIfChanged() {
    const bool shown = startAtLogin();
    if (shown == m_appliedStartAtLogin)
        return;
    m_appliedStartAtLogin = shown;
    if (m_setStartAtLogin)
        m_setStartAtLogin(shown);
}

bool GeneralSettingsModel::analyticsEnabled() const {
    return boolPreference(m_preferences, PreferenceKey::analyticsEnabled);
}

void GeneralSettingsModel::setAnalyticsEnabled(bool enabled) {
    m_preferences.setBool(PreferenceKey::analyticsEnabled, enabled);
    emit changed();
}

bool GeneralSettingsModel::canOpenNotificationSettings() const {
    return m_notificationSettings.has_value();
}

void GeneralSettingsModel::openNotificationSettings() {
    if (m_notificationSettings)
        openSystemSettingsPage(*m_notificationSettings, m_workspace, m_processes);
}

} // namespace tallowmere
