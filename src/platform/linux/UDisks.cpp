#include "platform/linux/UDisks.h"

#include "platform/linux/DBusCalls.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDir>

namespace tallowmere {
namespace {

const QString service = "org.freedesktop.UDisks2";
const QString blockInterface = "org.freedesktop.UDisks2.Block";
const QString driveInterface = "org.freedesktop.UDisks2.Drive";
const QString filesystemInterface = "org.freedesktop.UDisks2.Filesystem";
const QString loopInterface = "org.freedesktop.UDisks2.Loop";
const QString partitionInterface = "org.freedesktop.UDisks2.Partition";
const QString partitionTableInterface = "org.freedesktop.UDisks2.PartitionTable";
// Generous: unmounting flushes the drive's caches first, and a slow stick takes its time.
constexpr int operationTimeoutMs = 60000;

// An object path property; "/" (udisks2's "none") is empty.
QString objectPath(const QVariant& value) {
    QString path = value.canConvert<QDBusObjectPath>() ? value.value<QDBusObjectPath>().path() : value.toString();
    return path == "/" ? QString() : path;
}

QByteArrayList byteStrings(const QVariant& value) {
    if (value.userType() == qMetaTypeId<QDBusArgument>())
        return qdbus_cast<QByteArrayList>(value);
    return value.value<QByteArrayList>();
}

QStringList paths(const QVariant& value) {
    QStringList result;
    for (QByteArray bytes : byteStrings(value)) {
        if (bytes.endsWith('\0'))
            bytes.chop(1);
        result.push_back(QString::fromUtf8(bytes));
    }
    return result;
}

QVariantMap options(bool force = false) {
    QVariantMap map{{"auth.no_user_interaction", true}};
    if (force)
        map.insert("force", true);
    return map;
}

std::optional<std::string> perform(const QDBusConnection& bus, const QString& path, const QString& interface,
                                   const QString& method, const QVariantList& arguments,
                                   QDBusMessage* reply = nullptr) {
    QDBusMessage answer = dbus::call(bus, service, path, interface, method, arguments, operationTimeoutMs);
    if (reply)
        *reply = answer;
    return dbus::errorOf(answer);
}

} // namespace

UDisks::UDisks(const UDisksObjects& objects) {
    for (auto object = objects.begin(); object != objects.end(); ++object) {
        const auto& interfaces = object.value();
        if (auto drive = interfaces.find(driveInterface); drive != interfaces.end()) {
            const QVariantMap& p = drive.value();
            m_drives.push_back({object.key(), p.value("Vendor").toString(), p.value("Model").toString(),
                                p.value("ConnectionBus").toString(), p.value("Media").toString(),
                                p.value("Removable").toBool(), p.value("MediaRemovable").toBool(),
                                p.value("Ejectable").toBool(), p.value("CanPowerOff").toBool(),
                                p.value("RotationRate", -1).toInt()});
        }
        auto block = interfaces.find(blockInterface);
        if (block == interfaces.end())
            continue;
        const QVariantMap& p = block.value();
        UDisksBlock facts;
        facts.path = object.key();
        facts.device = dbus::fromByteString(p.value("Device"));
        facts.drive = objectPath(p.value("Drive"));
        facts.size = p.value("Size").toULongLong();
        facts.idType = p.value("IdType").toString();
        facts.idLabel = p.value("IdLabel").toString();
        facts.idUuid = p.value("IdUUID").toString();
        facts.hintSystem = p.value("HintSystem").toBool();
        facts.hintIgnore = p.value("HintIgnore").toBool();
        if (auto filesystem = interfaces.find(filesystemInterface); filesystem != interfaces.end()) {
            facts.hasFilesystem = true;
            facts.mountPoints = paths(filesystem.value().value("MountPoints"));
        }
        if (auto loop = interfaces.find(loopInterface); loop != interfaces.end()) {
            facts.isLoop = true;
            facts.backingFile = dbus::fromByteString(loop.value().value("BackingFile"));
        }
        if (auto partition = interfaces.find(partitionInterface); partition != interfaces.end())
            facts.partitionTable = objectPath(partition.value().value("Table"));
        if (auto table = interfaces.find(partitionTableInterface); table != interfaces.end())
            facts.partitionTableType = table.value().value("Type").toString();
        m_blocks.push_back(facts);
    }
}

std::optional<UDisks> UDisks::fetch(const QDBusConnection& bus, std::string* error) {
    QDBusMessage reply =
        dbus::call(bus, service, "/org/freedesktop/UDisks2", "org.freedesktop.DBus.ObjectManager", "GetManagedObjects");
    if (auto failure = dbus::errorOf(reply); failure || reply.arguments().isEmpty()) {
        if (error)
            *error = failure.value_or("no answer from udisks2");
        return std::nullopt;
    }
    UDisksObjects objects;
    const QDBusArgument argument = reply.arguments().constFirst().value<QDBusArgument>();
    argument.beginMap();
    while (!argument.atEnd()) {
        QDBusObjectPath path;
        QMap<QString, QVariantMap> interfaces;
        argument.beginMapEntry();
        argument >> path >> interfaces;
        argument.endMapEntry();
        objects.insert(path.path(), interfaces);
    }
    argument.endMap();
    return UDisks(objects);
}

const UDisksBlock* UDisks::block(const QString& path) const {
    for (const UDisksBlock& block : m_blocks)
        if (block.path == path)
            return &block;
    return nullptr;
}

const UDisksDrive* UDisks::drive(const QString& path) const {
    for (const UDisksDrive& drive : m_drives)
        if (!path.isEmpty() && drive.path == path)
            return &drive;
    return nullptr;
}

const UDisksBlock* UDisks::byMountPoint(const std::string& mountPoint) const {
    QString clean = QDir::cleanPath(QString::fromStdString(mountPoint));
    for (const UDisksBlock& block : m_blocks)
        if (block.mountPoints.contains(clean))
            return &block;
    return nullptr;
}

const UDisksBlock* UDisks::byDevice(const std::string& nameOrNode) const {
    QString wanted = QString::fromStdString(nameOrNode);
    for (const UDisksBlock& block : m_blocks)
        if (!block.device.isEmpty() && (block.device == wanted || block.deviceName() == wanted))
            return &block;
    return nullptr;
}

const UDisksBlock* UDisks::byLabel(const std::string& label) const {
    QString wanted = QString::fromStdString(label);
    for (const UDisksBlock& block : m_blocks)
        if (block.hasFilesystem && !wanted.isEmpty() && block.idLabel == wanted)
            return &block;
    return nullptr;
}

std::vector<const UDisksBlock*> UDisks::siblings(const UDisksBlock& block) const {
    std::vector<const UDisksBlock*> result;
    const UDisksBlock& whole = wholeDisk(block);
    for (const UDisksBlock& other : m_blocks) {
        bool sameDrive = !block.drive.isEmpty() && other.drive == block.drive;
        bool sameDisk = block.drive.isEmpty() && (other.path == whole.path || other.partitionTable == whole.path);
        if (sameDrive || sameDisk)
            result.push_back(&other);
    }
    return result;
}

const UDisksBlock& UDisks::wholeDisk(const UDisksBlock& block) const {
    const UDisksBlock* table = block.partitionTable.isEmpty() ? nullptr : this->block(block.partitionTable);
    return table ? *table : block;
}

namespace UDisksOperations {

std::optional<std::string> unmount(const QDBusConnection& bus, const QString& blockPath, bool force) {
    return perform(bus, blockPath, filesystemInterface, "Unmount", {options(force)});
}

std::optional<std::string> mount(const QDBusConnection& bus, const QString& blockPath, QString* mountPoint) {
    QDBusMessage reply;
    auto error = perform(bus, blockPath, filesystemInterface, "Mount", {options()}, &reply);
    if (!error && mountPoint && !reply.arguments().isEmpty())
        *mountPoint = reply.arguments().constFirst().toString();
    return error;
}

std::optional<std::string> powerOff(const QDBusConnection& bus, const QString& drivePath) {
    return perform(bus, drivePath, driveInterface, "PowerOff", {options()});
}

std::optional<std::string> ejectMedia(const QDBusConnection& bus, const QString& drivePath) {
    return perform(bus, drivePath, driveInterface, "Eject", {options()});
}

std::optional<std::string> deleteLoop(const QDBusConnection& bus, const QString& blockPath) {
    return perform(bus, blockPath, loopInterface, "Delete", {options()});
}

} // namespace UDisksOperations
} // namespace tallowmere
