#include "platform/mac/MacPlatform.h"

#include "platform/Log.h"
#include "platform/UserNotificationService.h"
#include "platform/network/QtHttpTransport.h"

#ifdef TALLOWMERE_SPARKLE
#include "platform/mac/SparkleUpdaterFramework.h"
#else
#include "platform/NoUpdaterFramework.h"
#endif

#include <QCoreApplication>
#include <QDir>
#include <QMetaObject>

namespace tallowmere {
namespace {

std::unique_ptr<UpdaterFramework> makeUpdaterFramework() {
#ifdef TALLOWMERE_SPARKLE
    return std::make_unique<SparkleUpdaterFramework>();
#else
    return std::make_unique<NoUpdaterFramework>();
#endif
}

// A Mac; without Sparkle there is nothing to check for updates with.
PlatformFeatures features() {
    PlatformFeatures mac;
#ifndef TALLOWMERE_SPARKLE
    mac.updater = false;
#endif
    return mac;
}

} // namespace

MacPlatform::MacPlatform(Runtime& runtime)
    : m_runtime(runtime)
    , m_executablePath(QCoreApplication::applicationFilePath().toStdString())
    , m_analyticsPreferences("com.tallowmere.app.analytics")
    , m_workspace(runtime)
    // Qt's own quit, not -[NSApplication terminate:]: the event loop ends and the delegate's will-terminate step
    // runs before the process does.
    , m_application(runtime,
                    [] {
                        if (QCoreApplication* application = QCoreApplication::instance())
                            QMetaObject::invokeMethod(application, &QCoreApplication::quit, Qt::QueuedConnection);
                    })
    , m_notifications(runtime, m_executablePath)
    , m_updaterFramework(makeUpdaterFramework()) {}

bool MacPlatform::start(std::string*) {
    if (!UserNotificationService::servesExecutable(m_executablePath))
        logLine(LogCategory::platformMac(),
                "Mac: " + m_executablePath +
                    " is not inside Tallowmere.app: notifications and the login item do not work for it");
    return true;
}

std::shared_ptr<HttpTransport> MacPlatform::analyticsTransport() {
    return std::make_shared<QtHttpTransport>();
}

std::string MacPlatform::instanceLockPath() {
    return (QDir::tempPath() + "/tallowmere.lock").toStdString();
}

Platform MacPlatform::platform() {
    return Platform{m_runtime,       m_preferences, m_processes,         m_fileSystem, m_tools,
                    m_systemPower,   m_assertions,  m_powerSources,      m_workspace,  m_application,
                    m_notifications, m_loginItem,   *m_updaterFramework, m_bundle,     m_diskArbitration,
                    features()};
}

} // namespace tallowmere
