#include "app/UserNotifier.h"

#include "platform/Log.h"
#include "platform/Translation.h"

#include <QUrl>
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
    Poster(Runtime& runtime, UserNotificationCenter& center, Workspace& workspace, AlertPresenter& alerts)
        : m_runtime(runtime)
        , m_center(center)
        , m_workspace(workspace)
        , m_alerts(alerts) {}

    UserNotificationCenter& center() { return m_center; }

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

    void showAlert() {
        m_runtime.mainAsync([self = shared_from_this()] {
            AlertContent alert{
                translated("UserNotifier", "Allow Notifications for Tallowmere"),
                translated("UserNotifier", "Notifications are currently disabled. Enable them in System "
                                           "Settings to see eject/remount and onboarding test alerts."),
                {translated("UserNotifier", "Open Notifications Settings"), translated("Alert", "Cancel")}};
            if (self->m_alerts.runModal(alert) != AlertPresenter::firstButtonReturn)
                return;
            if (QUrl url(QString::fromUtf8(notificationSettingsURL)); url.isValid())
                self->m_workspace.openURL(url.toString().toStdString());
        });
    }

private:
    Runtime& m_runtime;
    UserNotificationCenter& m_center;
    Workspace& m_workspace;
    AlertPresenter& m_alerts;
};

class UserNotifier::ForegroundPresenter : public UserNotificationCenterDelegate {
public:
    unsigned willPresentNotification(const NotificationRequest&) override { return foregroundPresentationOptions; }
};

UserNotifier::UserNotifier(Runtime& runtime, UserNotificationCenter& center, Workspace& workspace,
                           AlertPresenter& alerts)
    : m_poster(std::make_shared<Poster>(runtime, center, workspace, alerts))
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
    NotificationRequest request{readyNotificationIdentifier, translated("UserNotifier", "Tallowmere is ready"),
                                translated("UserNotifier", "Tallowmere will manage external disks and keep your Mac "
                                                           "awake based on your settings."),
                                true};
    m_poster->center().add(request, [](UserNotificationCenter::ErrorText) {});
}

} // namespace tallowmere
