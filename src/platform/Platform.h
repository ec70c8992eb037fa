#pragma once

#include "platform/Application.h"
#include "platform/Bundle.h"
#include "platform/DiskArbitration.h"
#include "platform/FileSystem.h"
#include "platform/LoginItem.h"
#include "platform/PlatformFeatures.h"
#include "platform/PowerAssertions.h"
#include "platform/PowerSources.h"
#include "platform/PreferenceStore.h"
#include "platform/ProcessRunner.h"
#include "platform/Runtime.h"
#include "platform/SystemPower.h"
#include "platform/SystemTools.h"
#include "platform/Updater.h"
#include "platform/UserNotifications.h"
#include "platform/Workspace.h"

namespace tallowmere {

// Every platform service the application uses, as handed to the application delegate at start, and what the
// platform offers beyond them.
struct Platform {
    Runtime& runtime;
    PreferenceStore& preferences;
    ProcessRunner& processes;
    FileSystem& fileSystem;
    SystemTools& tools;
    SystemPower& systemPower;
    PowerAssertions& assertions;
    PowerSources& powerSources;
    Workspace& workspace;
    Application& application;
    UserNotificationCenter& notifications;
    LoginItem& loginItem;
    UpdaterFramework& updaterFramework;
    Bundle& bundle;
    DiskArbitration& diskArbitration;
    PlatformFeatures features{};
};

} // namespace tallowmere
