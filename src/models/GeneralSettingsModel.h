#pragma once

#include "models/PreferenceBinding.h"
#include "platform/PlatformFeatures.h"
#include "platform/PreferenceStore.h"
#include "platform/Runtime.h"
#include "platform/Workspace.h"

#include <QObject>

#include <functional>

namespace tallowmere {

// The General page: launch at login, the analytics opt-out and the way to the notification settings.
// Main thread; create one per showing of the page.
class GeneralSettingsModel : public QObject {
    Q_OBJECT

public:
    using StartAtLoginCommand = std::function<void(bool enabled)>;
    struct Services {
        Runtime& runtime;
        PreferenceStore& preferences;
        Workspace& workspace;
        ProcessRunner& processes;
        PlatformFeatures features{};
    };

    GeneralSettingsModel(Services services, StartAtLoginCommand setStartAtLogin);

    bool startAtLogin() const;
    void setStartAtLogin(bool enabled);
    bool analyticsEnabled() const;
    void setAnalyticsEnabled(bool enabled);
    // "Notification Settings…", where the platform knows the page.
    bool canOpenNotificationSettings() const;
    void openNotificationSettings();

signals:
    void changed();

private:
    // Applies the login item whenever the shown value changes, also through a write made elsewhere.
    void applyStartAtLoginIfChanged();

    PreferenceStore& m_preferences;
    Workspace& m_workspace;
    ProcessRunner& m_processes;
    std::optional<SystemSettingsPage> m_notificationSettings;
    StartAtLoginCommand m_setStartAtLogin;
    bool m_appliedStartAtLogin;
    PreferenceSubscription m_subscription;
};

} // namespace tallowmere
