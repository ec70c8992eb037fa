#pragma once

#include "platform/UserNotifications.h"

#include <cstdint>
#include <string_view>

namespace tallowmere {

// What the system's user-notification service answers, in the port's terms, and when it can be asked at all.
namespace UserNotificationService {

// A status this build does not know (a later system's) counts as denied: the user is asked to allow
// notifications rather than having them posted into nothing.
AuthorizationStatus statusFromRawValue(std::int64_t rawValue);

// The service serves application bundles only (it throws for a bare executable): the executable must be the
// one in <name>.app/Contents/MacOS/.
bool servesExecutable(std::string_view executablePath);

inline constexpr const char* unavailableError =
    "Notifications are only available to Tallowmere.app: this executable is not inside an application bundle";

} // namespace UserNotificationService
} // namespace tallowmere
