#include "models/GeneralSettingsModel.h"

#include "app/UserNotifier.h"
#include "base/Preferences.h"
#include "models/SettingsLinks.h"

namespace tallowmere {

GeneralSettingsModel::GeneralSettingsModel(Runtime& runtime, PreferenceStore& preferences, Workspace& workspace,
                                           StartAtLoginCommand setStartAtLogin)
    : m_preferences(preferences)
    , m_workspace(workspace)
    , m_setStartAtLogin(std::move(setStartAtLogin))
    , m_appliedStartAtLogin(startAtLogin())
    , m_subscription(runtime, preferences, [this] {
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

void GeneralSettingsModel::openNotificationSettings() {
    SettingsLinks::open(m_workspace, UserNotifier::notificationSettingsURL);
}

} // namespace tallowmere
