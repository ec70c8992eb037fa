#include "platform/linux/LinuxPlatform.h"

#include "platform/Log.h"
#include "platform/linux/DBusCalls.h"
#include "platform/network/QtHttpTransport.h"

#include <QCoreApplication>
#include <QDBusError>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdlib>

namespace tallowmere {

std::string LinuxPlatform::domainPath(const std::string& domain) {
    return (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/tallowmere/").toStdString() +
           domain + ".plist";
}

std::string LinuxPlatform::instanceLockPath() {
    return (QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + "/tallowmere.lock").toStdString();
}

std::string LinuxPlatform::companionExecutable() {
    if (const char* path = std::getenv("TALLOWMERE_COMPANION"); path && *path)
        return path;
    // Installed: <prefix>/bin/tallowmere and <prefix>/libexec/tallowmere/tallowmere-companion.
    QString installed = QCoreApplication::applicationDirPath() + "/../libexec/tallowmere/tallowmere-companion";
    if (QFileInfo(installed).isExecutable())
        return QFileInfo(installed).canonicalFilePath().toStdString();
    return TALLOWMERE_COMPANION_PATH;
}

LinuxPlatform::LinuxPlatform(Runtime& runtime)
    : m_runtime(runtime)
    , m_system(QDBusConnection::systemBus())
    , m_session(QDBusConnection::sessionBus())
    , m_preferences(std::make_unique<PlistPreferenceStore>(domainPath("com.tallowmere.app")))
    , m_analyticsPreferences(std::make_unique<PlistPreferenceStore>(domainPath("com.tallowmere.app.analytics")))
    , m_tools(companionExecutable())
    , m_workspace(m_system)
    , m_systemPower(
          m_system, [this](bool sleeping) { m_assertions.sleepChanging(sleeping); },
          [this](bool sleeping) {
              m_workspace.center().post(sleeping ? NotificationName::willSleep : NotificationName::didWake);
          })
    , m_assertions(m_system, m_session)
    , m_powerSources(m_system)
    , m_sessionMonitor(m_system, m_session, m_workspace.center(), m_application.distributed())
    , m_notifications(m_session, runtime)
    , m_loginItem(QCoreApplication::applicationFilePath().toStdString())
    , m_diskArbitration(m_system.isConnected()) {}

bool LinuxPlatform::start(std::string* error) {
    if (!m_system.isConnected()) {
        if (error)
            *error = "no system bus: " + m_system.lastError().message().toStdString();
        return false;
    }
    if (!m_session.isConnected())
        logLine(LogCategory::platformLinux(),
                "Linux: no session bus; notifications, the screensaver and display sleep are not available");
    m_preferences->startWatching();
    m_application.start();
    m_workspace.start();
    std::string powerError;
    if (!m_systemPower.start(&powerError))
        logLine(LogCategory::platformLinux(), "Linux: " + powerError);
    m_sessionMonitor.start();
    // A tray is a StatusNotifierItem host (KDE Plasma, Xfce, Cinnamon, MATE, GNOME's AppIndicator extension).
    const std::optional<QVariant> trayHost =
        dbus::property(m_session, "org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                       "org.kde.StatusNotifierWatcher", "IsStatusNotifierHostRegistered", 1000);
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    m_features = PlatformFeatures::linuxDesktop(desktop ? desktop : "", trayHost && trayHost->toBool());
    return true;
}

std::shared_ptr<HttpTransport> LinuxPlatform::analyticsTransport() {
    return std::make_shared<QtHttpTransport>();
}

Platform LinuxPlatform::platform() {
    return Platform{m_runtime,       *m_preferences, m_processes,        m_fileSystem, m_tools,
                    m_systemPower,   m_assertions,   m_powerSources,     m_workspace,  m_application,
                    m_notifications, m_loginItem,    m_updaterFramework, m_bundle,     m_diskArbitration,
                    m_features};
}

} // namespace tallowmere
