#pragma once

#include <QDBusConnection>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>
#include <string>
#include <vector>

namespace tallowmere {

// udisks2's objects as its object manager reports them: object path → interface → properties.
using UDisksObjects = QMap<QString, QMap<QString, QVariantMap>>;

// A storage drive (org.freedesktop.UDisks2.Drive).
struct UDisksDrive {
    QString path;
    QString vendor;
    QString model;
    QString connectionBus; // "usb", "sdio", "ieee1394" or empty for a drive inside the computer
    QString media;         // "flash_sd", "optical_dvd", … or empty
    bool removable = false;
    bool mediaRemovable = false;
    bool ejectable = false;
    bool canPowerOff = false;
    int rotationRate = -1; // 0 for a solid-state drive
};

// A block device (org.freedesktop.UDisks2.Block) with what its other interfaces add.
struct UDisksBlock {
    QString path;
    QString device; // "/dev/sdb1"
    QString drive;  // the drive's object path; empty for a loop device and other devices without one
    qulonglong size = 0;
    QString idType;
    QString idLabel;
    QString idUuid;
    bool hintSystem = false;
    bool hintIgnore = false;
    bool hasFilesystem = false;
    QStringList mountPoints;
    bool isLoop = false;
    QString backingFile;
    QString partitionTable;     // the object path of the table this partition is in; empty for no partition
    QString partitionTableType; // "gpt", "dos" when this block holds a partition table

    // The kernel's name of the device: "sdb1", "loop0", "mmcblk0p1".
    QString deviceName() const { return device.section('/', -1); }
};

// A snapshot of udisks2's view of the machine.
class UDisks {
public:
    explicit UDisks(const UDisksObjects& objects);
    // Asks udisks2 on the system bus; nothing (and the reason) when it does not answer.
    static std::optional<UDisks> fetch(const QDBusConnection& bus, std::string* error = nullptr);

    const std::vector<UDisksBlock>& blocks() const { return m_blocks; }
    const UDisksBlock* block(const QString& path) const;
    const UDisksDrive* drive(const QString& path) const;
    const UDisksBlock* byMountPoint(const std::string& mountPoint) const;
    // By kernel name ("sdb1") or device node ("/dev/sdb1").
    const UDisksBlock* byDevice(const std::string& nameOrNode) const;
    // An unmounted or mounted file system by its label.
    const UDisksBlock* byLabel(const std::string& label) const;
    // The blocks of the same drive (for a device without a drive: of the same partition table, or itself).
    std::vector<const UDisksBlock*> siblings(const UDisksBlock& block) const;
    // The whole disk a block belongs to: the partition table's block, or the block itself.
    const UDisksBlock& wholeDisk(const UDisksBlock& block) const;

private:
    std::vector<UDisksBlock> m_blocks;
    std::vector<UDisksDrive> m_drives;
};

// What udisks2 does for us. Each blocks the calling thread until udisks2 answers; the result is the error text
// when the operation failed. Authorisation is polkit's, without asking the user: a background program must not
// pop up a password dialog.
namespace UDisksOperations {
std::optional<std::string> unmount(const QDBusConnection& bus, const QString& blockPath, bool force);
// The mount point on success.
std::optional<std::string> mount(const QDBusConnection& bus, const QString& blockPath, QString* mountPoint = nullptr);
std::optional<std::string> powerOff(const QDBusConnection& bus, const QString& drivePath);
std::optional<std::string> ejectMedia(const QDBusConnection& bus, const QString& drivePath);
std::optional<std::string> deleteLoop(const QDBusConnection& bus, const QString& blockPath);
} // namespace UDisksOperations

} // namespace tallowmere
