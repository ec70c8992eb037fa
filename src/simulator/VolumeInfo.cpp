#include "simulator/VolumeInfo.h"

#include "platform/DecimalText.h"

#include <charconv>
#include <cstdint>

namespace macsim {

using tallowmere::PropertyDictionary;
using tallowmere::PropertyValue;

namespace {

struct KindFacts {
    const char* mediaName;
    const char* busProtocol;
    std::optional<bool> internal;
    bool removable;
    bool solidState;
    const char* fileSystemName;
    const char* fileSystemType;
    const char* content;
    std::int64_t size;
    const char* mediaType;
};

KindFacts factsOf(VolumeKind kind) {
    switch (kind) {
    case VolumeKind::usb:
        return {"WD My Passport 25E2 Media", "USB",         false,  false, false, "ExFAT", "exfat",
                "Microsoft Basic Data",      1999999991808, nullptr};
    case VolumeKind::ssd:
        return {
            "Samsung PSSD T7 Media", "USB",  false, false, true, "APFS", "apfs", "41504653-0000-11AA-AA11-00306543ECAC",
            1000204886016,           nullptr};
    case VolumeKind::sdInternal:
        return {"APPLE SD Card Reader Media",
                "Secure Digital",
                true,
                true,
                true,
                "MS-DOS FAT32",
                "msdos",
                "DOS_FAT_32",
                63864569856,
                nullptr};
    case VolumeKind::sdUsb:
        return {"Generic SD Card Reader Media",
                "USB",
                false,
                true,
                true,
                "ExFAT",
                "exfat",
                "Windows_NTFS",
                127865454592,
                nullptr};
    case VolumeKind::dmg:
        return {"Apple Disk Image",
                "Disk Image",
                std::nullopt,
                false,
                false,
                "APFS",
                "apfs",
                "41504653-0000-11AA-AA11-00306543ECAC",
                524288000,
                nullptr};
    case VolumeKind::network:
        return {"", "SMB", std::nullopt, false, false, "smbfs", "smbfs", "", 4000787030016, nullptr};
    case VolumeKind::optical:
        return {
            "MATSHITA DVD-R UJ-898 Media", "USB", std::nullopt, true, false, "UDF", "udf", "", 4706074624, "DVD-ROM"};
    }
    return factsOf(VolumeKind::usb);
}

void describeMedia(PropertyDictionary& info, const KindFacts& facts) {
    info["MediaName"] = facts.mediaName;
    info["IORegistryEntryName"] = facts.mediaName;
    info["BusProtocol"] = facts.busProtocol;
    if (facts.internal)
        info["Internal"] = *facts.internal;
    info["RemovableMedia"] = facts.removable;
    info["Removable"] = facts.removable;
    info["RemovableMediaOrExternalDevice"] = true;
    info["Ejectable"] = true;
    info["EjectableMediaOrExternalDevice"] = true;
    info["SolidState"] = facts.solidState;
    info["WritableMedia"] = facts.mediaType == nullptr;
    if (facts.mediaType) {
        info["MediaType"] = facts.mediaType;
        info["OpticalMediaType"] = facts.mediaType;
    }
}

void applyOverrides(PropertyDictionary& info, const Volume& volume) {
    for (const auto& [key, value] : volume.infoOverrides) {
        if (value.empty())
            info.erase(key);
        else
            info.insert_or_assign(key, typedInfoValue(value));
    }
}

} // namespace

PropertyDictionary volumeInfo(const Volume& volume) {
    KindFacts facts = factsOf(volume.kind);
    PropertyDictionary info;
    describeMedia(info, facts);
    bool mounted = volume.state == VolumeState::mounted;
    info["DeviceIdentifier"] = volume.device;
    info["DeviceNode"] = "/dev/" + volume.device;
    info["VolumeName"] = volume.name;
    info["MountPoint"] = mounted ? volume.mountPoint() : std::string();
    info["VolumeUUID"] = volume.uuid;
    info["DiskUUID"] = volume.uuid;
    info["FileSystemName"] = facts.fileSystemName;
    info["FilesystemType"] = facts.fileSystemType;
    info["FilesystemName"] = facts.fileSystemName;
    info["FilesystemUserVisibleName"] = facts.fileSystemName;
    info["Content"] = facts.content;
    info["Size"] = facts.size;
    info["TotalSize"] = facts.size;
    info["VolumeSize"] = facts.size;
    info["FreeSpace"] = mounted ? facts.size / 2 : std::int64_t(0);
    info["WholeDisk"] = false;
    info["Writable"] = mounted && facts.mediaType == nullptr;
    info["WritableVolume"] = mounted && facts.mediaType == nullptr;
    info["Bootable"] = false;
    info["GlobalPermissionsEnabled"] = false;
    info["Encryption"] = false;
    info["DeviceBlockSize"] = 512;
    if (volume.kind == VolumeKind::dmg)
        info["ParentWholeDisk"] = PropertyDictionary{
            {"DeviceIdentifier", volume.wholeDisk()}, {"MediaName", "Apple Disk Image"}, {"BusProtocol", "Disk Image"}};
    else
        info["ParentWholeDisk"] = volume.wholeDisk();
    applyOverrides(info, volume);
    return info;
}

PropertyDictionary wholeDiskInfo(const Volume& volume) {
    KindFacts facts = factsOf(volume.kind);
    PropertyDictionary info;
    describeMedia(info, facts);
    info["DeviceIdentifier"] = volume.wholeDisk();
    info["DeviceNode"] = "/dev/" + volume.wholeDisk();
    info["VolumeName"] = "";
    info["MountPoint"] = "";
    info["Content"] = "GUID_partition_scheme";
    info["Size"] = facts.size;
    info["TotalSize"] = facts.size;
    info["WholeDisk"] = true;
    info["ParentWholeDisk"] = volume.wholeDisk();
    info["DeviceBlockSize"] = 512;
    return info;
}

PropertyDictionary startupVolumeInfo(bool dataVolume) {
    PropertyDictionary info{{"DeviceIdentifier", dataVolume ? dataDevice : startupDevice},
                            {"VolumeName", dataVolume ? "Macintosh HD - Data" : "Macintosh HD"},
                            {"MountPoint", dataVolume ? "/System/Volumes/Data" : "/"},
                            {"MediaName", ""},
                            {"IORegistryEntryName", dataVolume ? "Macintosh HD - Data" : "Macintosh HD"},
                            {"BusProtocol", "Apple Fabric"},
                            {"Internal", true},
                            {"RemovableMedia", false},
                            {"Removable", false},
                            {"Ejectable", false},
                            {"SolidState", true},
                            {"WholeDisk", false},
                            {"ParentWholeDisk", startupWholeDisk},
                            {"FileSystemName", "APFS"},
                            {"FilesystemType", "apfs"},
                            {"FilesystemUserVisibleName", "APFS"},
                            {"Content", "41504653-0000-11AA-AA11-00306543ECAC"},
                            {"Size", std::int64_t(494384795648)},
                            {"TotalSize", std::int64_t(494384795648)},
                            {"Bootable", true},
                            {"Writable", dataVolume},
                            {"Encryption", true}};
    return info;
}

PropertyDictionary startupContainerInfo() {
    return {{"DeviceIdentifier", startupWholeDisk},
            {"DeviceNode", "/dev/disk3"},
            {"VolumeName", ""},
            {"MountPoint", ""},
            {"MediaName", ""},
            {"BusProtocol", "Apple Fabric"},
            {"Internal", true},
            {"RemovableMedia", false},
            {"Ejectable", false},
            {"WholeDisk", true},
            {"Content", "EF57347C-0000-11AA-AA11-00306543ECAC"},
            {"Size", std::int64_t(494384795648)}};
}

PropertyValue typedInfoValue(const std::string& text) {
    if (text == "true")
        return true;
    if (text == "false")
        return false;
    const char* begin = text.data();
    const char* end = begin + text.size();
    std::int64_t integer = 0;
    if (auto [ptr, error] = std::from_chars(begin, end, integer); error == std::errc() && ptr == end)
        return integer;
    if (auto real = tallowmere::DecimalText::wholeNumber(text))
        return *real;
    return text;
}

} // namespace macsim
