#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tallowmere {

enum class AuthorizationStatus { notDetermined = 0, denied = 1, authorized = 2, provisional = 3, ephemeral = 4 };

namespace AuthorizationOption {
inline constexpr unsigned badge = 1, sound = 2, alert = 4;
}
namespace PresentationOption {
inline constexpr unsigned badge = 1, sound = 2, list = 8, banner = 16;
}

struct NotificationRequest {
    std::string identifier;
    std::string title;
    std::string body;
    bool defaultSound = true;
};

class UserNotificationCenterDelegate {
public:
    virtual ~UserNotificationCenterDelegate() = default;
    // Presentation options for a notification that arrives while the application is frontmost.
    virtual unsigned willPresentNotification(const NotificationRequest& request) = 0;
};

// The user-notification center. Completions arrive on threads of the service's choosing.
class UserNotificationCenter {
public:
    using ErrorText = std::optional<std::string>;
    virtual ~UserNotificationCenter() = default;
    // The delegate is held weakly.
    virtual void setDelegate(std::weak_ptr<UserNotificationCenterDelegate> delegate) = 0;
    virtual void requestAuthorization(unsigned options, std::function<void(bool granted, ErrorText error)> done) = 0;
    virtual void getAuthorizationStatus(std::function<void(AuthorizationStatus)> done) = 0;
    virtual void add(const NotificationRequest& request, std::function<void(ErrorText error)> done) = 0;
};

} // namespace tallowmere
