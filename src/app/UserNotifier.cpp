#include "app/UserNotifier.h"

#include "base/MachineTexts.h"
#include "platform/Log.h"
#include "platform/Translation.h"

#include <QUuid>

namespace tallowmere {
namespace {

// Every notification gets its own identifier, so none replaces another.
std::string newNotificationIdentifier() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString();
}

} // namespace

class UserNotifier::Poster : public std::enable_shared_from_this<Poster> {
public:
    Poster(Platform& platform, AlertPresenter& alerts)
        : m_runtime(platform.runtime)
        , m_center(platform.notifications)
        , m_workspace(platform.workspace)
        , m_processes(platform.processes)
        , m_features(platform.features)
        , m_alerts(alerts) {}

    UserNotificationCenter& center() { return m_center; }
    MachineKind machine() const { return m_features.machine; }

    // Runs on the notification service's thread.
    void postOrAsk(const std::string& title, const std::string& body, AuthorizationStatus status) {
        switch (status) {
        case AuthorizationStatus::authorized:
        case AuthorizationStatus::provisional:
        case AuthorizationStatus::ephemeral:
            post(title, body);
            return;
        case AuthorizationStatus::notDetermined:
            m_center.requestAuthorization(authorizationOptions, [self = shared_from_this(), title, body](
                                                                    bool granted, UserNotificationCenter::ErrorText) {
                if (granted)
                    self->post(title, body);
                else
                    self->showAlert();
            });
            return;
        case AuthorizationStatus::denied:
            break;
        }
        showAlert();
    }

    void post(const std::string& title, const std::string& body) {
        NotificationRequest request{newNotificationIdentifier(), title, body, true};
        m_center.add(request, [self = shared_from_this()](UserNotificationCenter::ErrorText error) {
            if (!error)
                return;
            self->m_runtime.mainAsync(
                [text = *error] { logError(LogCategory::ui(), "ERROR: Failed to show notification: " + text); });
        });
    }

    // Where no settings page is known, the alert only says so.
    void showAlert() {
        m_runtime.mainAsync([self = shared_from_this()] {
            const std::optional<SystemSettingsPage>& page = self->m_features.notificationSettings;
            AlertContent alert{translated("UserNotifier", "Allow Notifications for Tallowmere"),
                               machineText(MachineText::notificationsDisabled, self->m_features.machine),
                               page
                                   ? std::vector<std::string>{translated("UserNotifier", "Open Notifications Settings"),
                                                              translated("Alert", "Cancel")}
                                   : std::vector<std::string>{translated("Alert", "OK")}};
            if (self->m_alerts.runModal(alert) == AlertPresenter::firstButtonReturn && page)
                openSystemSettingsPage(*page, self->m_workspace, self->m_processes);
        });
    }

    void addFixed(const std::string& identifier, const std::string& title, const std::string& body) {
        m_center.add({identifier, title, body, true}, [](UserNotificationCenter::ErrorText) {});
    }

private:
    Runtime& m_runtime;
    UserNotificationCenter& m_center;
    Workspace& m_workspace;
    ProcessRunner& m_processes;
    const PlatformFeatures& m_features;
    AlertPresenter& m_alerts;
};

class UserNotifier::ForegroundPresenter : public UserNotificationCenterDelegate {
public:
    unsigned willPresentNotification(const NotificationRequest&) override { return foregroundPresentationOptions; }
};

UserNotifier::UserNotifier(Platform& platform, AlertPresenter& alerts)
    : m_poster(std::make_shared<Poster>(platform, alerts))
    , m_foregroundPresenter(std::make_shared<ForegroundPresenter>()) {}

void UserNotifier::presentNotificationsInForeground() {
    m_poster->center().setDelegate(m_foregroundPresenter);
}

void UserNotifier::requestAuthorization() {
    m_poster->center().requestAuthorization(
        authorizationOptions, [](bool granted, UserNotificationCenter::ErrorText error) {
            if (error)
                logLine(LogCategory::ui(), "Notification authorization error: " + *error);
            else
                logLine(LogCategory::ui(),
                        std::string("Notification authorization granted: ") + (granted ? "true" : "false"));
        });
}

void UserNotifier::postUserNotification(const std::string& title, const std::string& body) {
    m_poster->center().getAuthorizationStatus(
        [poster = m_poster, title, body](AuthorizationStatus status) { poster->postOrAsk(title, body, status); });
}

void UserNotifier::postReadyNotification() {
    m_poster->addFixed(readyNotificationIdentifier, translated("UserNotifier", "Tallowmere is ready"),
                       machineText(MachineText::readyNotice, m_poster->machine()));
}

void UserNotifier::postNoStatusAreaNotification() {
    m_poster->addFixed(noStatusAreaNotificationIdentifier,
                       translated("UserNotifier", "Tallowmere Is Running Without an Icon"),
                       translated("UserNotifier", "This desktop has no tray to show Tallowmere’s icon. Right-click "
                                                  "Tallowmere among your applications for Settings, Turn Quenby Guard "
                                                  "On/Off and Unmount External Disks, or run “tallowmere settings” in "
                                                  "a terminal."));
}

} // namespace tallowmere
