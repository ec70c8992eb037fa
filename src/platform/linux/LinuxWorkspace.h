#pragma once

#include "platform/LocalNotificationCenter.h"
#include "platform/Workspace.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QVariantMap>

#include <map>

namespace tallowmere {

// The workspace on a Linux desktop. Unmount-and-eject goes to udisks2: every file system of the volume's
// drive is unmounted, then the drive is powered off (or its medium ejected); a disk image's loop device is
// detached. Mounts and unmounts that udisks2 reports are announced on the workspace's center; URLs open
// through the desktop's handlers.
class LinuxWorkspace : public QObject, protected QDBusContext, public Workspace {
    Q_OBJECT
public:
    explicit LinuxWorkspace(QDBusConnection systemBus);

    // Main thread: listens to udisks2's mounts from now on.
    void start();

    NotificationCenter& notificationCenter() override { return m_center; }
    LocalNotificationCenter& center() { return m_center; }
    std::optional<std::string> unmountAndEjectDevice(const std::string& mountPath) override;
    bool openURL(const std::string& url) override;

private slots:
    void filesystemChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);

private:
    QDBusConnection m_bus;
    LocalNotificationCenter m_center;
    std::map<QString, bool> m_mounted; // by object path, as last reported
};

} // namespace tallowmere
