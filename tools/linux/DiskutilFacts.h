#pragma once

#include "platform/PropertyValue.h"
#include "platform/linux/MountedVolumes.h"
#include "platform/linux/UDisks.h"

#include <optional>
#include <string>

namespace tallowmere::companion {

// What `diskutil` reports, built from udisks2's drive and block properties and the mount table, with the keys
// and values the application's classifier reads on a Mac:
//   USB or FireWire drive        "Internal" false, "Ejectable" true                   -> hard disks and SSDs
//   built-in card reader (sdio)  "Internal" true, "RemovableMedia" true,
//                                "BusProtocol" "Secure Digital"                       -> SD cards
//   loop device                  "MediaName" "Disk Image", no "Internal"               -> disk images
//   optical media                "MediaType" "DVD-ROM" (or CD, BD), no "Internal"      -> DVDs and CDs
//   network share (cifs, nfs)    "FileSystemName" "smbfs" or "nfs", no "Internal"      -> network drives
//   drive inside the computer    "Internal" true, "RemovableMedia" false               -> never ejected
// A volume mounted in a media folder is reported at its "/Volumes/NAME" path (MountedVolumes).
class DiskutilFacts {
public:
    DiskutilFacts(UDisks disks, MountedVolumes volumes);

    // A block device or a network share that a diskutil target names.
    struct Target {
        const UDisksBlock* block = nullptr;
        const MountedVolumes::Volume* share = nullptr;
    };
    // A target is a "/Volumes/…" path, a mount point of this computer, a device ("sdb1", "/dev/sdb1") or a
    // volume name (a mounted volume's name, else a file system's label).
    Target resolve(const std::string& target) const;

    PropertyDictionary info(const Target& target) const;
    PropertyDictionary list() const;
    std::string listText() const;

    // The volume's name: its mounted name, else the file system's label, else its UUID.
    std::string volumeName(const UDisksBlock& block) const;
    // "/Volumes/NAME" for a volume in a media folder, the mount point otherwise; empty when not mounted.
    std::string mountPoint(const UDisksBlock& block) const;

    const UDisks& disks() const { return m_disks; }
    const MountedVolumes& volumes() const { return m_volumes; }

private:
    PropertyDictionary blockInfo(const UDisksBlock& block) const;
    PropertyDictionary shareInfo(const MountedVolumes::Volume& share) const;
    PropertyDictionary listEntry(const UDisksBlock& block) const;
    std::vector<const UDisksBlock*> wholeDisks() const;

    UDisks m_disks;
    MountedVolumes m_volumes;
};

} // namespace tallowmere::companion
