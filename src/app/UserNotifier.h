#pragma once

#include "app/AlertPresenter.h"
#include "platform/Platform.h"

#include <memory>
#include <string>

namespace tallowmere {

// The application's one path for user notifications: permission at launch, posting with the
// status-dependent flow, the alert that invites the user to allow notifications, and the ready notice.
class UserNotifier {
public:
    // Banner, sound and badge for notifications arriving while the application is frontmost.
    static constexpr unsigned foregroundPresentationOptions = 19;
    static constexpr unsigned authorizationOptions = AuthorizationOption::alert | AuthorizationOption::sound;
    static constexpr const char* readyNotificationIdentifier = "tallowmere-first-launch";
    static constexpr const char* noStatusAreaNotificationIdentifier = "tallowmere-no-status-area";

    // The platform's notification center, workspace, processes and features.
    UserNotifier(Platform& platform, AlertPresenter& alerts);

    // Becomes the center's delegate, so notifications also show while the application is frontmost.
    void presentNotificationsInForeground();
    // Asks for alert and sound permission and logs the answer.
    void requestAuthorization();
    // Any thread. Posts, asks for permission first, or shows the alert, by the current authorisation.
    void postUserNotification(const std::string& title, const std::string& body);
    // The first-launch notice with its fixed identifier, added without looking at the settings.
    void postReadyNotification();
    // On a desktop without a tray, the first launch says where the application's commands are instead; added
    // like the ready notice.
    void postNoStatusAreaNotification();

private:
    class Poster;
    class ForegroundPresenter;

    // Shared with the center's completions, which may arrive after the notifier is gone.
    std::shared_ptr<Poster> m_poster;
    std::shared_ptr<UserNotificationCenterDelegate> m_foregroundPresenter;
};

} // namespace tallowmere
