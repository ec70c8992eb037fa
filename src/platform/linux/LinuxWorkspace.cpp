#include "platform/linux/LinuxWorkspace.h"

#include "platform/Log.h"
#include "platform/linux/DBusCalls.h"
#include "platform/linux/MountedVolumes.h"
#include "platform/linux/UDisks.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace tallowmere {

LinuxWorkspace::LinuxWorkspace(QDBusConnection systemBus)
    : m_bus(std::move(systemBus)) {}

void LinuxWorkspace::start() {
    // Any object of udisks2: the path is left open and the interface is told by the signal's first argument.
    if (!m_bus.connect("org.freedesktop.UDisks2", {}, "org.freedesktop.DBus.Properties", "PropertiesChanged",
                       {"org.freedesktop.UDisks2.Filesystem"}, {}, this,
                       SLOT(filesystemChanged(QString, QVariantMap, QStringList))))
        logLine(LogCategory::platformLinux(),
                "Workspace: cannot listen to udisks2; mounts and unmounts will not be seen");
    if (auto disks = UDisks::fetch(m_bus))
        for (const UDisksBlock& block : disks->blocks())
            if (block.hasFilesystem)
                m_mounted[block.path] = !block.mountPoints.isEmpty();
}

void LinuxWorkspace::filesystemChanged(const QString& interface, const QVariantMap& changed, const QStringList&) {
    if (interface != "org.freedesktop.UDisks2.Filesystem" || !changed.contains("MountPoints"))
        return;
    const QVariant value = changed.value("MountPoints");
    const QByteArrayList points = value.userType() == qMetaTypeId<QDBusArgument>() ? qdbus_cast<QByteArrayList>(value)
                                                                                   : value.value<QByteArrayList>();
    const bool mounted = !points.isEmpty();
    const QString path = message().path();
    bool& known = m_mounted[path];
    if (known == mounted)
        return;
    known = mounted;
    m_center.post(mounted ? NotificationName::didMount : NotificationName::didUnmount);
}

std::optional<std::string> LinuxWorkspace::unmountAndEjectDevice(const std::string& mountPath) {
    MountedVolumes volumes = MountedVolumes::current();
    std::optional<std::string> hostPath = volumes.hostPath(mountPath);
    if (!hostPath)
        return "The volume \"" + mountPath + "\" is not mounted.";
    const MountedVolumes::Volume* share = volumes.byMountPoint(*hostPath);
    if (share && MountedVolumes::isNetworkFileSystem(share->mount.fileSystemType)) {
        QProcess umount;
        umount.start("umount", {QString::fromStdString(*hostPath)});
        if (!umount.waitForFinished(-1) || umount.exitStatus() != QProcess::NormalExit || umount.exitCode() != 0)
            return QString::fromLocal8Bit(umount.readAllStandardError()).trimmed().toStdString();
        return std::nullopt;
    }

    std::string error;
    std::optional<UDisks> disks = UDisks::fetch(m_bus, &error);
    if (!disks)
        return error;
    const UDisksBlock* block = disks->byMountPoint(*hostPath);
    if (!block)
        return "The volume \"" + mountPath + "\" is not on a disk.";
    for (const UDisksBlock* sibling : disks->siblings(*block))
        if (sibling->hasFilesystem && !sibling->mountPoints.isEmpty())
            if (auto failure = UDisksOperations::unmount(m_bus, sibling->path, false))
                return failure;
    if (block->isLoop) {
        const QString loop = disks->wholeDisk(*block).path;
        std::optional<std::string> failure = UDisksOperations::deleteLoop(m_bus, loop);
        // A loop device set up to clear itself is gone with its last unmount; that is the eject done.
        if (failure) {
            std::optional<UDisks> now = UDisks::fetch(m_bus);
            const UDisksBlock* left = now ? now->block(loop) : nullptr;
            if (now && (!left || left->backingFile.isEmpty()))
                return std::nullopt;
        }
        return failure;
    }
    const UDisksDrive* drive = disks->drive(block->drive);
    if (!drive)
        return std::nullopt;
    if (drive->canPowerOff)
        return UDisksOperations::powerOff(m_bus, drive->path);
    if (drive->ejectable)
        return UDisksOperations::ejectMedia(m_bus, drive->path);
    return std::nullopt;
}

bool LinuxWorkspace::openURL(const std::string& url) {
    QUrl parsed(QString::fromStdString(url), QUrl::StrictMode);
    if (!parsed.isValid() || parsed.scheme().isEmpty())
        return false;
    return QDesktopServices::openUrl(parsed);
}

} // namespace tallowmere
