#include "platform/UserNotificationService.h"

namespace tallowmere::UserNotificationService {

AuthorizationStatus statusFromRawValue(std::int64_t rawValue) {
    switch (rawValue) {
    case 0:
        return AuthorizationStatus::notDetermined;
    case 2:
        return AuthorizationStatus::authorized;
    case 3:
        return AuthorizationStatus::provisional;
    case 4:
        return AuthorizationStatus::ephemeral;
    default:
        return AuthorizationStatus::denied;
    }
}

bool servesExecutable(std::string_view executablePath) {
    constexpr std::string_view inside = ".app/Contents/MacOS/";
    const auto at = executablePath.rfind(inside);
    if (at == std::string_view::npos || at == 0 || executablePath[at - 1] == '/')
        return false;
    const std::string_view name = executablePath.substr(at + inside.size());
    return !name.empty() && name.find('/') == std::string_view::npos;
}

} // namespace tallowmere::UserNotificationService
