#include "platform/linux/LinuxSessionMonitor.h"

#include "platform/Log.h"
#include "platform/linux/DBusCalls.h"

#include <QDBusArgument>
#include <QDBusObjectPath>

#include <cstdlib>
#include <unistd.h>

namespace tallowmere {
namespace {

const QString logind = "org.freedesktop.login1";
const QString managerPath = "/org/freedesktop/login1";
const QString managerInterface = "org.freedesktop.login1.Manager";
const QString sessionInterface = "org.freedesktop.login1.Session";
const QString propertiesInterface = "org.freedesktop.DBus.Properties";

QString pathOf(const QDBusMessage& reply) {
    if (dbus::errorOf(reply) || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst().value<QDBusObjectPath>().path();
}

} // namespace

LinuxSessionMonitor::LinuxSessionMonitor(QDBusConnection systemBus, QDBusConnection sessionBus,
                                         LocalNotificationCenter& workspace, LocalNotificationCenter& distributed)
    : m_system(std::move(systemBus))
    , m_session(std::move(sessionBus))
    , m_workspace(workspace)
    , m_distributed(distributed) {}

QString LinuxSessionMonitor::findSession() const {
    // The session the desktop started us in; a process started otherwise (a service, a terminal elsewhere)
    // belongs to the user's graphical session.
    if (const char* id = std::getenv("XDG_SESSION_ID"); id && *id) {
        QString path = pathOf(dbus::call(m_system, logind, managerPath, managerInterface, "GetSession", {QString(id)}));
        if (!path.isEmpty())
            return path;
    }
    QString path = pathOf(dbus::call(m_system, logind, managerPath, managerInterface, "GetSessionByPID",
                                     {static_cast<uint>(::getpid())}));
    if (!path.isEmpty())
        return path;
    QString user =
        pathOf(dbus::call(m_system, logind, managerPath, managerInterface, "GetUser", {static_cast<uint>(::getuid())}));
    if (user.isEmpty())
        return {};
    auto display = dbus::property(m_system, logind, user, "org.freedesktop.login1.User", "Display");
    if (!display)
        return {};
    // (so): the session's identifier and its object path.
    QString id;
    QDBusObjectPath object;
    const QDBusArgument argument = display->value<QDBusArgument>();
    argument.beginStructure();
    argument >> id >> object;
    argument.endStructure();
    return object.path() == "/" ? QString() : object.path();
}

void LinuxSessionMonitor::start() {
    m_session.connect({}, {}, "org.freedesktop.ScreenSaver", "ActiveChanged", this,
                      SLOT(screensaverActiveChanged(bool)));
    m_session.connect({}, {}, "org.gnome.ScreenSaver", "ActiveChanged", this, SLOT(screensaverActiveChanged(bool)));
    m_session.connect("org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig", propertiesInterface,
                      "PropertiesChanged", this, SLOT(displayPropertiesChanged(QString, QVariantMap, QStringList)));

    m_sessionPath = findSession();
    if (m_sessionPath.isEmpty()) {
        logLine(LogCategory::platformLinux(),
                "Session: no logind session found; screen lock and user switches will not be seen");
        return;
    }
    m_system.connect(logind, m_sessionPath, sessionInterface, "Lock", this, SLOT(sessionLocked()));
    m_system.connect(logind, m_sessionPath, sessionInterface, "Unlock", this, SLOT(sessionUnlocked()));
    m_system.connect(logind, m_sessionPath, propertiesInterface, "PropertiesChanged", this,
                     SLOT(sessionPropertiesChanged(QString, QVariantMap, QStringList)));
    if (auto facts = dbus::properties(m_system, logind, m_sessionPath, sessionInterface)) {
        m_locked = facts->value("LockedHint").toBool();
        m_active = facts->value("Active", true).toBool();
    }
}

void LinuxSessionMonitor::setLocked(bool locked) {
    if (locked == m_locked)
        return;
    m_locked = locked;
    m_distributed.post(locked ? NotificationName::screenIsLocked : NotificationName::screenIsUnlocked);
}

void LinuxSessionMonitor::sessionLocked() {
    setLocked(true);
}

void LinuxSessionMonitor::sessionUnlocked() {
    setLocked(false);
}

void LinuxSessionMonitor::sessionPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                                   const QStringList& invalidated) {
    if (interface != sessionInterface)
        return;
    auto value = [&](const QString& name) -> std::optional<bool> {
        if (changed.contains(name))
            return changed.value(name).toBool();
        if (invalidated.contains(name))
            if (auto fresh = dbus::property(m_system, logind, m_sessionPath, sessionInterface, name))
                return fresh->toBool();
        return std::nullopt;
    };
    if (auto locked = value("LockedHint"))
        setLocked(*locked);
    if (auto active = value("Active")) {
        bool resigned = m_active && !*active;
        m_active = *active;
        if (resigned)
            m_workspace.post(NotificationName::sessionDidResignActive);
    }
}

void LinuxSessionMonitor::screensaverActiveChanged(bool active) {
    // GNOME's screensaver answers under both names; each change is posted once.
    if (m_screensaverActive == active)
        return;
    m_screensaverActive = active;
    m_distributed.post(active ? NotificationName::screensaverDidStart : NotificationName::screensaverDidStop);
}

void LinuxSessionMonitor::displayPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                                   const QStringList&) {
    if (interface != "org.gnome.Mutter.DisplayConfig" || !changed.contains("PowerSaveMode"))
        return;
    // 0 is on; standby, suspend and off all dark.
    bool asleep = changed.value("PowerSaveMode").toInt() != 0;
    if (asleep == m_displayAsleep)
        return;
    m_displayAsleep = asleep;
    m_workspace.post(asleep ? NotificationName::screensDidSleep : NotificationName::screensDidWake);
}

} // namespace tallowmere
