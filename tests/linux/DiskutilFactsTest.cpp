#include "DiskutilFacts.h"

#include "disks/VolumeClassifier.h"

#include <QDBusObjectPath>

#include <gtest/gtest.h>

namespace tallowmere::companion {
namespace {

const QString blocks = "/org/freedesktop/UDisks2/block_devices/", drives = "/org/freedesktop/UDisks2/drives/";

QVariantMap drive(const QString& bus, const QString& media, bool removable, bool mediaRemovable, bool canPowerOff) {
    return {{"ConnectionBus", bus},        {"Media", media},
            {"Removable", removable},      {"MediaRemovable", mediaRemovable},
            {"Ejectable", mediaRemovable}, {"CanPowerOff", canPowerOff}};
}

// One mounted file system as udisks2 reports it (device names and mount points as the kernel has them).
QMap<QString, QVariantMap> filesystem(const QString& device, const QString& drivePath, const QString& label,
                                      const QString& mountPoint, bool system = false) {
    return {{"org.freedesktop.UDisks2.Block",
             {{"Device", QByteArray("/dev/" + device.toUtf8() + '\0')},
              {"Drive", QVariant::fromValue(QDBusObjectPath(drivePath.isEmpty() ? "/" : drivePath))},
              {"Size", qulonglong(64) << 20},
              {"IdType", "ext4"},
              {"IdLabel", label},
              {"HintSystem", system}}},
            {"org.freedesktop.UDisks2.Filesystem",
             {{"MountPoints", QVariant::fromValue(QByteArrayList{mountPoint.toUtf8() + '\0'})}}}};
}

// udisks2's properties recorded for each kind of device, and what the classifier makes of the companion's
// property list for them.
TEST(DiskutilFacts, EachBusKindReachesTheClassifierAsOnAMac) {
    UDisksObjects objects;
    objects[drives + "usb"] = {{"org.freedesktop.UDisks2.Drive", drive("usb", "", true, false, true)}};
    objects[blocks + "sdb1"] = filesystem("sdb1", drives + "usb", "KEYS", "/media/alice/KEYS");
    objects[drives + "reader"] = {{"org.freedesktop.UDisks2.Drive", drive("sdio", "flash_sd", true, true, false)}};
    objects[blocks + "mmcblk0p1"] = filesystem("mmcblk0p1", drives + "reader", "CAMERA", "/media/alice/CAMERA");
    objects[drives + "usbreader"] = {{"org.freedesktop.UDisks2.Drive", drive("usb", "flash_sd", true, true, true)}};
    objects[blocks + "sdc1"] = filesystem("sdc1", drives + "usbreader", "CARD", "/media/alice/CARD");
    objects[drives + "dvd"] = {{"org.freedesktop.UDisks2.Drive", drive("", "optical_dvd", true, true, false)}};
    objects[blocks + "sr0"] = filesystem("sr0", drives + "dvd", "MOVIE", "/media/alice/MOVIE");
    objects[drives + "nvme"] = {{"org.freedesktop.UDisks2.Drive", drive("", "", false, false, false)}};
    objects[blocks + "nvme0n1p3"] = filesystem("nvme0n1p3", drives + "nvme", "Data", "/media/alice/Data", true);
    objects[blocks + "loop0"] = filesystem("loop0", "", "Été 2026 Ω", "/media/alice/Été 2026 Ω");
    objects[blocks + "loop0"]["org.freedesktop.UDisks2.Loop"] = {{"BackingFile", QByteArray("/tmp/a.img")}};

    std::vector<MountEntry> table{{"/", "ext4", "/dev/nvme0n1p2"},
                                  {"/mnt/share", "cifs", "//nas/share", "alice"},
                                  {"/mnt/other", "ext4", "/dev/sdd1"}};
    for (const char* name : {"KEYS", "CAMERA", "CARD", "MOVIE", "Data", "Été 2026 Ω"})
        table.push_back({std::string("/media/alice/") + name, "ext4", "/dev/x"});
    DiskutilFacts facts{UDisks(objects), MountedVolumes(table, "alice")};

    const std::pair<const char*, std::optional<DiskType>> expected[] = {
        {"KEYS", DiskType::hardDisksAndSSDs}, {"CAMERA", DiskType::sdCards}, {"CARD", DiskType::hardDisksAndSSDs},
        {"MOVIE", DiskType::dvdsAndCDs},      {"Data", std::nullopt},        {"Été 2026 Ω", DiskType::diskImages},
        {"share", DiskType::networkDrives}};
    for (const auto& [name, kind] : expected) {
        const std::string path = std::string("/Volumes/") + name;
        PropertyDictionary info = facts.info(facts.resolve(path));
        ASSERT_FALSE(info.empty()) << name;
        EXPECT_EQ(*findAs<std::string>(info, "MountPoint"), path);
        VolumeClassification classification = VolumeClassifier::classify(path, info);
        EXPECT_EQ(classification.eligible, kind.has_value()) << name;
        EXPECT_EQ(classification.kind, kind) << name;
    }
    // A mount outside the media folders is no volume of the application's.
    EXPECT_EQ(facts.volumes().byMountPoint("/mnt/other"), nullptr);
    EXPECT_EQ(*findAs<std::string>(facts.info(facts.resolve("loop0")), "VolumeName"), "Été 2026 Ω");

    // diskutil list: a whole-disk volume is named at the top of its entry, where the remount looks first.
    const PropertyDictionary list = facts.list();
    const PropertyArray* disks = findAs<PropertyArray>(list, "AllDisksAndPartitions");
    ASSERT_TRUE(disks);
    bool listed = false;
    for (const PropertyValue& disk : *disks)
        if (const auto* entry = disk.as<PropertyDictionary>();
            entry && findAs<std::string>(*entry, "VolumeName") &&
            *findAs<std::string>(*entry, "VolumeName") == "Été 2026 Ω")
            listed = *findAs<std::string>(*entry, "DeviceIdentifier") == "loop0" &&
                     *findAs<std::string>(*entry, "MountPoint") == "/Volumes/Été 2026 Ω";
    EXPECT_TRUE(listed);
}

// Only the session user's media folders and the shares that user mounted are volumes: not another user's drive,
// a folder directly in /media, nor a share the system mounted.
TEST(DiskutilFacts, MountTableNamesDecodeEscapesTellTwinsApartAndKeepToTheUsersMounts) {
    std::vector<MountEntry> table =
        parseMountInfo("45 27 7:0 / /media/root/Été\\0402026 rw,nosuid - ext4 /dev/loop0 rw\n"
                       "46 27 8:17 / /run/media/bob/DATA rw shared:1 - vfat /dev/sdb1 rw\n"
                       "47 27 8:33 / /run/media/root/DATA rw - exfat /dev/sdc1 rw\n"
                       "48 27 0:50 / /srv/nas rw - nfs4 server:/export rw\n"
                       "49 27 0:51 / /mnt/office\\040files rw - cifs //nas/office rw\n"
                       "50 27 8:49 / /media/usb0 rw - ext4 /dev/sdd1 rw\n"
                       "51 27 0:52 / /mnt/bobs rw - cifs //nas/bob rw\n"
                       "52 27 8:65 / /media/root/DATA rw - vfat /dev/sde1 rw\n");
    addMountingUsers(table, "SRC=//nas/office TARGET=/mnt/office\\040files ROOT=/ OPTS=uid=0,user=root\n"
                            "SRC=//nas/bob TARGET=/mnt/bobs ROOT=/ OPTS=user=bob\n");
    MountedVolumes volumes(table, "root");
    ASSERT_EQ(volumes.volumes().size(), 4u);
    EXPECT_EQ(volumes.volumes()[0].name, "Été 2026");
    EXPECT_EQ(volumes.hostPath("/Volumes/Été 2026/notes"), "/media/root/Été 2026/notes");
    EXPECT_EQ(volumes.hostPath("/Volumes/DATA"), "/run/media/root/DATA");
    EXPECT_EQ(volumes.hostPath("/Volumes/DATA 1"), "/media/root/DATA");
    EXPECT_EQ(volumes.hostPath("/Volumes/office files"), "/mnt/office files");
    for (const char* other : {"/Volumes/nas", "/Volumes/usb0", "/Volumes/bobs"})
        EXPECT_EQ(volumes.hostPath(other), std::nullopt) << other;
}

} // namespace
} // namespace tallowmere::companion
