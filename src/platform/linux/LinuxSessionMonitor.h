#pragma once

#include "platform/LocalNotificationCenter.h"

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

#include <optional>

namespace tallowmere {

// Turns the desktop session's events into the notifications the application observes on a Mac:
//   logind session Lock / LockedHint true      -> "com.apple.screenIsLocked" (distributed)
//   logind session Unlock / LockedHint false   -> "com.apple.screenIsUnlocked" (distributed)
//   logind session Active true -> false         -> NSWorkspaceSessionDidResignActiveNotification (workspace)
//   screensaver ActiveChanged (freedesktop, GNOME) -> "com.apple.screensaver.didstart" / "didstop" (distributed)
//   Mutter's PowerSaveMode on -> off -> on      -> NSWorkspaceScreensDidSleep / DidWake (workspace)
// A lock reported twice (the Lock signal, then the hint) is posted once. Desktops without a display power
// service never report display sleep.
class LinuxSessionMonitor : public QObject {
    Q_OBJECT
public:
    LinuxSessionMonitor(QDBusConnection systemBus, QDBusConnection sessionBus, LocalNotificationCenter& workspace,
                        LocalNotificationCenter& distributed);

    // Main thread. Finds this process's logind session and subscribes (without one, lock, unlock and user
    // switches are not seen).
    void start();

private slots:
    void sessionLocked();
    void sessionUnlocked();
    void sessionPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);
    void screensaverActiveChanged(bool active);
    void displayPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);

private:
    QString findSession() const;
    void setLocked(bool locked);

    QDBusConnection m_system;
    QDBusConnection m_session;
    LocalNotificationCenter& m_workspace;
    LocalNotificationCenter& m_distributed;
    QString m_sessionPath;
    bool m_locked = false;
    bool m_active = true;
    std::optional<bool> m_screensaverActive;
    bool m_displayAsleep = false;
};

} // namespace tallowmere
