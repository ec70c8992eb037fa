#pragma once

#include "analytics/EnvironmentFacts.h"
#include "analytics/ScreenMetricsProvider.h"
#include "platform/Bundle.h"
#include "platform/FileSystem.h"
#include "platform/NotificationCenter.h"
#include "platform/PreferenceStore.h"
#include "platform/Runtime.h"

#include <memory>
#include <optional>

namespace tallowmere {

// The platform services the analytics client runs on. Every reference must outlive the client.
struct SignalClientServices {
    Runtime& runtime;
    // The client's own defaults store (its stable user identifier and session statistics).
    PreferenceStore& preferences;
    FileSystem& fileSystem;
    Bundle& bundle;
    // Screen and appearance facts, filled in by the interface layer; nothing reports unknown values.
    std::shared_ptr<const ScreenMetricsProvider> screenMetrics;
    // The application's default center: its will-terminate notification saves the cache.
    NotificationCenter* applicationCenter = nullptr;
    // Facts to report instead of those of the running process.
    std::optional<EnvironmentFacts> environment;
};

// Posted by the application just before it terminates.
inline constexpr const char* applicationWillTerminateNotification = "NSApplicationWillTerminateNotification";

} // namespace tallowmere
