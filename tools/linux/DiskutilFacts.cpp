#include "DiskutilFacts.h"

#include "platform/ListingText.h"

#include <QDir>

#include <algorithm>
#include <cstdio>

namespace tallowmere::companion {
namespace {

std::string text(const QString& value) {
    return value.toStdString();
}

std::string busProtocol(const UDisksBlock& block, const UDisksDrive& drive) {
    if (drive.connectionBus == "usb")
        return "USB";
    if (drive.connectionBus == "sdio")
        return "Secure Digital";
    if (drive.connectionBus == "ieee1394")
        return "FireWire";
    return block.deviceName().startsWith("nvme") ? "PCI-Express" : "SATA";
}

std::optional<std::string> opticalMediaType(const UDisksDrive& drive) {
    if (drive.media.startsWith("optical_cd"))
        return "CD-ROM";
    if (drive.media.startsWith("optical_dvd"))
        return "DVD-ROM";
    if (drive.media.startsWith("optical_bd"))
        return "BD-ROM";
    return std::nullopt;
}

std::string userVisibleFileSystem(const QString& type) {
    if (type == "vfat")
        return "MS-DOS FAT32";
    if (type == "exfat")
        return "ExFAT";
    if (type == "ntfs")
        return "NTFS";
    if (type == "hfsplus")
        return "Mac OS Extended";
    if (type == "apfs")
        return "APFS";
    return text(type);
}

std::string humanSize(qulonglong bytes) {
    const char* units[] = {"B", "KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    int unit = 0;
    while (value >= 1000 && unit < 4) {
        value /= 1000;
        ++unit;
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f %s", value, units[unit]);
    return buffer;
}

} // namespace

DiskutilFacts::DiskutilFacts(UDisks disks, MountedVolumes volumes)
    : m_disks(std::move(disks))
    , m_volumes(std::move(volumes)) {}

DiskutilFacts::Target DiskutilFacts::resolve(const std::string& target) const {
    auto atMountPoint = [&](const std::string& mountPoint) -> Target {
        if (const UDisksBlock* block = m_disks.byMountPoint(mountPoint))
            return {block, nullptr};
        const MountedVolumes::Volume* volume = m_volumes.byMountPoint(mountPoint);
        if (volume && MountedVolumes::isNetworkFileSystem(volume->mount.fileSystemType))
            return {nullptr, volume};
        return {};
    };
    if (target.starts_with("/Volumes/")) {
        auto host = m_volumes.hostPath(target);
        return host ? atMountPoint(*host) : Target{};
    }
    if (const UDisksBlock* block = m_disks.byDevice(target))
        return {block, nullptr};
    if (target.starts_with("/"))
        return atMountPoint(target);
    if (const MountedVolumes::Volume* volume = m_volumes.byName(target))
        return atMountPoint(volume->mount.mountPoint);
    if (const UDisksBlock* block = m_disks.byLabel(target))
        return {block, nullptr};
    return {};
}

std::string DiskutilFacts::volumeName(const UDisksBlock& block) const {
    for (const QString& mountPoint : block.mountPoints)
        if (const MountedVolumes::Volume* volume = m_volumes.byMountPoint(text(mountPoint)))
            return volume->name;
    if (!block.mountPoints.isEmpty())
        return text(QDir(block.mountPoints.constFirst()).dirName());
    if (!block.idLabel.isEmpty())
        return text(block.idLabel);
    return text(block.idUuid);
}

std::string DiskutilFacts::mountPoint(const UDisksBlock& block) const {
    if (block.mountPoints.isEmpty())
        return {};
    const std::string mountPoint = text(block.mountPoints.constFirst());
    const MountedVolumes::Volume* volume = m_volumes.byMountPoint(mountPoint);
    return volume ? volume->path() : mountPoint;
}

PropertyDictionary DiskutilFacts::info(const Target& target) const {
    if (target.block)
        return blockInfo(*target.block);
    if (target.share)
        return shareInfo(*target.share);
    return {};
}

PropertyDictionary DiskutilFacts::blockInfo(const UDisksBlock& block) const {
    const UDisksBlock& whole = m_disks.wholeDisk(block);
    PropertyDictionary info{
        {"DeviceIdentifier", text(block.deviceName())},
        {"DeviceNode", text(block.device)},
        {"VolumeName", block.hasFilesystem ? volumeName(block) : std::string()},
        {"MountPoint", mountPoint(block)},
        {"WholeDisk", &whole == &block},
        {"ParentWholeDisk", text(whole.deviceName())},
        {"Size", static_cast<std::int64_t>(block.size)},
        {"TotalSize", static_cast<std::int64_t>(block.size)},
        {"Content", text(block.partitionTableType.isEmpty() ? block.idType : block.partitionTableType)}};
    if (block.hasFilesystem) {
        info["VolumeUUID"] = text(block.idUuid);
        info["FilesystemType"] = text(block.idType);
        info["FileSystemName"] = userVisibleFileSystem(block.idType);
        info["FilesystemUserVisibleName"] = userVisibleFileSystem(block.idType);
    }

    if (block.isLoop) {
        // A Mac reports no "Internal" for a disk image: false would make it a hard disk, true would exclude it.
        info["MediaName"] = "Disk Image";
        info["BusProtocol"] = "Disk Image";
        info["RemovableMedia"] = false;
        info["Ejectable"] = true;
        info["DiskImagePath"] = text(block.backingFile);
        return info;
    }
    const UDisksDrive* drive = m_disks.drive(block.drive);
    if (!drive) {
        // Device mapper, RAID and the like: built from drives inside the computer.
        info["MediaName"] = "";
        info["BusProtocol"] = "";
        info["Internal"] = true;
        info["RemovableMedia"] = false;
        info["Ejectable"] = false;
        return info;
    }
    const bool cardReader = drive->connectionBus == "sdio";
    const bool external =
        drive->connectionBus == "usb" || drive->connectionBus == "ieee1394" || (drive->removable && !cardReader);
    const auto opticalType = opticalMediaType(*drive);
    info["MediaName"] = text((drive->vendor + " " + drive->model).simplified() + " Media");
    info["BusProtocol"] = busProtocol(block, *drive);
    info["RemovableMedia"] = drive->mediaRemovable;
    info["Removable"] = drive->mediaRemovable;
    info["Ejectable"] = drive->ejectable || drive->canPowerOff || external || opticalType.has_value();
    info["SolidState"] = drive->rotationRate == 0;
    if (opticalType) {
        // As for disk images, optical drives carry no "Internal" on a Mac.
        info["MediaType"] = *opticalType;
        info["OpticalMediaType"] = *opticalType;
    } else {
        info["Internal"] = cardReader || !external;
    }
    return info;
}

PropertyDictionary DiskutilFacts::shareInfo(const MountedVolumes::Volume& share) const {
    const bool smb = share.mount.fileSystemType.starts_with("smb") || share.mount.fileSystemType == "cifs";
    return {{"VolumeName", share.name},
            {"MountPoint", share.path()},
            {"FileSystemName", smb ? "smbfs" : "nfs"},
            {"FilesystemType", share.mount.fileSystemType},
            {"BusProtocol", smb ? "SMB" : "NFS"},
            {"MediaName", ""},
            {"DeviceNode", share.mount.source},
            {"RemovableMedia", false},
            {"Ejectable", true},
            {"WholeDisk", false}};
}

std::vector<const UDisksBlock*> DiskutilFacts::wholeDisks() const {
    std::vector<const UDisksBlock*> disks;
    for (const UDisksBlock& block : m_disks.blocks())
        if (block.partitionTable.isEmpty() && block.size > 0 && !block.hintIgnore)
            disks.push_back(&block);
    std::sort(disks.begin(), disks.end(),
              [](const UDisksBlock* a, const UDisksBlock* b) { return a->deviceName() < b->deviceName(); });
    return disks;
}

PropertyDictionary DiskutilFacts::listEntry(const UDisksBlock& block) const {
    PropertyDictionary entry{
        {"DeviceIdentifier", text(block.deviceName())},
        {"Content", text(block.partitionTableType.isEmpty() ? block.idType : block.partitionTableType)},
        {"Size", static_cast<std::int64_t>(block.size)}};
    if (block.hasFilesystem) {
        entry["VolumeName"] = volumeName(block);
        if (std::string mounted = mountPoint(block); !mounted.empty())
            entry["MountPoint"] = mounted;
    }
    return entry;
}

PropertyDictionary DiskutilFacts::list() const {
    // Built in place: GCC 12 takes a PropertyValue moved into a vector for one whose other alternatives may be read
    // uninitialised (-Wmaybe-uninitialized).
    PropertyArray disks, allDisks, wholeDiskNames, volumesFromDisks;
    for (const UDisksBlock* whole : wholeDisks()) {
        PropertyDictionary entry = listEntry(*whole);
        entry["OSInternal"] = false;
        allDisks.emplace_back(text(whole->deviceName()));
        wholeDiskNames.emplace_back(text(whole->deviceName()));
        if (whole->hasFilesystem && !whole->mountPoints.isEmpty())
            volumesFromDisks.emplace_back(volumeName(*whole));
        std::vector<const UDisksBlock*> partitions;
        for (const UDisksBlock& block : m_disks.blocks())
            if (block.partitionTable == whole->path)
                partitions.push_back(&block);
        std::sort(partitions.begin(), partitions.end(),
                  [](const UDisksBlock* a, const UDisksBlock* b) { return a->deviceName() < b->deviceName(); });
        PropertyArray partitionEntries;
        for (const UDisksBlock* partition : partitions) {
            partitionEntries.emplace_back(listEntry(*partition));
            allDisks.emplace_back(text(partition->deviceName()));
            if (partition->hasFilesystem && !partition->mountPoints.isEmpty())
                volumesFromDisks.emplace_back(volumeName(*partition));
        }
        entry["Partitions"] = std::move(partitionEntries);
        disks.emplace_back(std::move(entry));
    }
    return {{"AllDisksAndPartitions", disks},
            {"AllDisks", allDisks},
            {"WholeDisks", wholeDiskNames},
            {"VolumesFromDisks", volumesFromDisks}};
}

std::string DiskutilFacts::listText() const {
    std::string out;
    auto row = [&](const std::string& index, const std::string& type, const std::string& name, const std::string& size,
                   const std::string& identifier) {
        char line[1024];
        std::snprintf(line, sizeof line, "%4s: %26s %-23s %-10s %s\n", index.c_str(), type.c_str(), name.c_str(),
                      size.c_str(), identifier.c_str());
        out += line;
    };
    for (const UDisksBlock* whole : wholeDisks()) {
        const UDisksDrive* drive = m_disks.drive(whole->drive);
        const char* location = whole->isLoop                            ? "disk image"
                               : drive && drive->connectionBus == "usb" ? "external, physical"
                                                                        : "internal, physical";
        out += text(whole->device) + " (" + location + "):\n";
        row("#", "TYPE", "NAME", "SIZE", "IDENTIFIER");
        int index = 0;
        row(std::to_string(index++),
            text(whole->partitionTableType.isEmpty() ? whole->idType : whole->partitionTableType),
            whole->hasFilesystem ? escapeListingField(volumeName(*whole)) : "", humanSize(whole->size),
            text(whole->deviceName()));
        for (const UDisksBlock& block : m_disks.blocks())
            if (block.partitionTable == whole->path)
                row(std::to_string(index++), text(block.idType), escapeListingField(volumeName(block)),
                    humanSize(block.size), text(block.deviceName()));
        out += "\n";
    }
    return out;
}

} // namespace tallowmere::companion
