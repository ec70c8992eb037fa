#pragma once

#include "app/AlertPresenter.h"
#include "platform/Runtime.h"
#include "platform/UserNotifications.h"
#include "platform/Workspace.h"

#include <string>

namespace tallowmere {

// The application's one path for user notifications: permission at launch, posting with the
// status-dependent flow, the alert that invites the user to allow notifications, and the ready notice.
class UserNotifier {
public:
    // Banner, sound and badge for notifications arriving while the application is frontmost.
    static constexpr unsigned foregroundPresentationOptions = 19;

    UserNotifier(Runtime& runtime, UserNotificationCenter& center, Workspace& workspace, AlertPresenter& alerts);

    // Asks for alert and sound permission and logs the answer.
    void requestAuthorization();
    // Any thread. Posts, asks for permission first, or shows the alert, by the current authorisation.
    void postUserNotification(const std::string& title, const std::string& body);
    // The first-launch notice with its fixed identifier, added without looking at the settings.
    void postReadyNotification();

private:
    // … implementation details
};

} // namespace tallowmere
