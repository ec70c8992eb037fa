#include "Companion.h"

#include "DiskutilFacts.h"

#include "platform/PropertyList.h"
#include "platform/linux/DBusCalls.h"

#include <QDBusConnection>
#include <QProcess>

#include <cstdio>
#include <mntent.h>

namespace tallowmere::companion {
namespace {

void out(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

int fail(const std::string& line) {
    std::string text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
    return 1;
}

int usage() {
    return fail("Usage:  diskutil info [-plist] MountPoint|DiskIdentifier|DeviceNode|VolumeName\n"
                "        diskutil list [-plist]\n"
                "        diskutil unmount [force] MountPoint|DiskIdentifier|VolumeName\n"
                "        diskutil mount MountPoint|DiskIdentifier|VolumeName\n"
                "        diskutil mountDisk DiskIdentifier\n"
                "        pmset sleepnow");
}

// mount(8) and umount(8) take network shares on and off line as fstab allows the user.
std::optional<std::string> runMountTool(const QString& tool, const std::string& mountPoint) {
    QProcess process;
    process.start(tool, {QString::fromStdString(mountPoint)});
    if (!process.waitForStarted())
        return process.errorString().toStdString();
    process.waitForFinished(-1);
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return std::nullopt;
    QString error = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return error.isEmpty() ? tool.toStdString() + " failed" : error.toStdString();
}

// The fstab entry of a network share that is not mounted, by the name it has as a volume.
std::optional<std::string> shareMountPointNamed(const std::string& name) {
    std::FILE* table = ::setmntent("/etc/fstab", "r");
    if (!table)
        return std::nullopt;
    std::optional<std::string> found;
    while (mntent* entry = ::getmntent(table)) {
        std::string directory = entry->mnt_dir;
        if (MountedVolumes::isNetworkFileSystem(entry->mnt_type) &&
            directory.substr(directory.find_last_of('/') + 1) == name) {
            found = directory;
            break;
        }
    }
    ::endmntent(table);
    return found;
}

class Session {
public:
    explicit Session(DiskutilFacts facts)
        : m_bus(QDBusConnection::systemBus())
        , m_facts(std::move(facts)) {}

    int info(std::vector<std::string> rest) {
        bool plist = !rest.empty() && rest[0] == "-plist";
        if (plist)
            rest.erase(rest.begin());
        if (rest.size() != 1)
            return usage();
        DiskutilFacts::Target target = m_facts.resolve(rest[0]);
        if (!target.block && !target.share)
            return fail("Could not find disk: " + rest[0]);
        PropertyDictionary info = m_facts.info(target);
        if (plist) {
            out(PropertyList::toXml(PropertyValue(info)));
            return 0;
        }
        for (const auto& [key, value] : info) {
            if (const auto* text = value.as<std::string>())
                out("   " + key + ": " + *text + "\n");
            else if (const auto* flag = value.as<bool>())
                out("   " + key + ": " + (*flag ? "Yes" : "No") + "\n");
            else if (const auto* number = value.as<std::int64_t>())
                out("   " + key + ": " + std::to_string(*number) + "\n");
        }
        return 0;
    }

    int list(const std::vector<std::string>& rest) {
        if (rest.size() > 1 || (rest.size() == 1 && rest[0] != "-plist"))
            return usage();
        out(rest.empty() ? m_facts.listText() : PropertyList::toXml(PropertyValue(m_facts.list())));
        return 0;
    }

    int unmount(std::vector<std::string> rest) {
        // "force" is an option only when a target follows it, so a volume named "force" can be unmounted.
        bool force = rest.size() == 2 && rest[0] == "force";
        if (force)
            rest.erase(rest.begin());
        if (rest.size() != 1)
            return usage();
        DiskutilFacts::Target target = m_facts.resolve(rest[0]);
        if (target.share) {
            if (auto error = runMountTool("umount", target.share->mount.mountPoint))
                return fail("Unmount of " + target.share->name + " failed: " + *error);
            return 0;
        }
        if (!target.block)
            return fail("Could not find disk: " + rest[0]);
        const UDisksBlock& block = *target.block;
        const std::string name = m_facts.volumeName(block), device = block.deviceName().toStdString();
        if (block.mountPoints.isEmpty())
            return fail("Volume " + name + " on " + device + " is not mounted");
        if (auto error = UDisksOperations::unmount(m_bus, block.path, force))
            return fail("Volume " + name + " on " + device + " failed to unmount: " + *error);
        return 0;
    }

    int mount(const std::vector<std::string>& rest) {
        if (rest.size() != 1)
            return usage();
        DiskutilFacts::Target target = m_facts.resolve(rest[0]);
        if (target.share)
            return 0; // already mounted
        if (!target.block) {
            if (auto mountPoint = shareMountPointNamed(rest[0])) {
                if (auto error = runMountTool("mount", *mountPoint))
                    return fail("Volume " + rest[0] + " failed to mount: " + *error);
                return 0;
            }
            return fail("Could not find disk: " + rest[0]);
        }
        return mountBlock(*target.block) ? 0 : 1;
    }

    int mountDisk(const std::vector<std::string>& rest) {
        if (rest.size() != 1)
            return usage();
        const UDisksBlock* disk = m_facts.disks().byDevice(rest[0]);
        if (!disk)
            return fail("Could not find disk: " + rest[0]);
        bool any = false, allMounted = true;
        for (const UDisksBlock* block : m_facts.disks().siblings(*disk)) {
            if (!block->hasFilesystem)
                continue;
            any = true;
            allMounted = mountBlock(*block) && allMounted;
        }
        if (!any)
            return fail("Could not mount disk " + rest[0] + ": it holds no volume");
        return allMounted ? 0 : 1;
    }

    int sleepNow() {
        QDBusMessage reply = dbus::call(m_bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                                        "org.freedesktop.login1.Manager", "Suspend", {false});
        if (auto error = dbus::errorOf(reply))
            return fail("pmset: could not sleep: " + *error);
        return 0;
    }

private:
    bool mountBlock(const UDisksBlock& block) {
        if (!block.mountPoints.isEmpty())
            return true;
        if (auto error = UDisksOperations::mount(m_bus, block.path)) {
            fail("Volume " + m_facts.volumeName(block) + " on " + block.deviceName().toStdString() +
                 " failed to mount: " + *error);
            return false;
        }
        return true;
    }

    QDBusConnection m_bus;
    DiskutilFacts m_facts;
};

} // namespace

int run(const std::vector<std::string>& arguments) {
    if (arguments.empty())
        return usage();
    const std::string& verb = arguments[0];
    std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    if (verb == "sleepnow" && rest.empty())
        return Session(DiskutilFacts(UDisks({}), MountedVolumes({}, {}))).sleepNow();
    if (verb != "info" && verb != "list" && verb != "unmount" && verb != "umount" && verb != "mount" &&
        verb != "mountDisk")
        return fail("diskutil: did not recognize verb \"" + verb + "\"; type \"diskutil\" for a list");

    std::string error;
    std::optional<UDisks> disks = UDisks::fetch(QDBusConnection::systemBus(), &error);
    if (!disks)
        return fail("diskutil: the disk service (udisks2) did not answer: " + error);
    Session session(DiskutilFacts(std::move(*disks), MountedVolumes::current()));
    if (verb == "info")
        return session.info(rest);
    if (verb == "list")
        return session.list(rest);
    if (verb == "unmount" || verb == "umount")
        return session.unmount(rest);
    if (verb == "mount")
        return session.mount(rest);
    return session.mountDisk(rest);
}

} // namespace tallowmere::companion
