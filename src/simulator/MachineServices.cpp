// The machine's services besides its volumes: disk facts, Full Disk Access, power assertions, the analytics
// service, user notifications and the attached application.
#include "simulator/Machine.h"

#include "simulator/DiskTarget.h"
#include "simulator/QtText.h"
#include "simulator/VolumeInfo.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <algorithm>

namespace macsim {

using tallowmere::PropertyArray;
using tallowmere::PropertyDictionary;

namespace {

void pruneDeadAssertions(MachineState& state) {
    std::erase_if(state.assertions, [](const Assertion& assertion) { return !assertion.owner.isAlive(); });
}

} // namespace

std::optional<PropertyDictionary> Machine::diskInfo(const std::string& target) const {
    MachineState current = state();
    Target found = resolveTarget(current, target);
    switch (found.kind) {
    case TargetKind::startup:
        return startupVolumeInfo(false);
    case TargetKind::data:
        return startupVolumeInfo(true);
    case TargetKind::container:
        return startupContainerInfo();
    case TargetKind::volume:
        return volumeInfo(*found.volume);
    case TargetKind::wholeDisk:
        return wholeDiskInfo(*found.volume);
    case TargetKind::none:
        break;
    }
    return std::nullopt;
}

PropertyDictionary Machine::diskList() const {
    MachineState current = state();
    PropertyArray disks, allDisks, wholeDisks, volumesFromDisks;
    PropertyArray startupVolumes;
    for (bool data : {false, true}) {
        PropertyDictionary info = startupVolumeInfo(data);
        PropertyDictionary entry{{"DeviceIdentifier", info["DeviceIdentifier"]},
                                 {"VolumeName", info["VolumeName"]},
                                 {"MountPoint", info["MountPoint"]},
                                 {"OSInternal", false},
                                 {"Size", info["Size"]}};
        startupVolumes.push_back(entry);
        volumesFromDisks.push_back(info["VolumeName"]);
    }
    disks.push_back(PropertyDictionary{{"DeviceIdentifier", startupWholeDisk},
                                       {"Content", "EF57347C-0000-11AA-AA11-00306543ECAC"},
                                       {"OSInternal", false},
                                       {"Size", std::int64_t(494384795648)},
                                       {"APFSVolumes", startupVolumes},
                                       {"Partitions", PropertyArray{}}});
    allDisks.insert(allDisks.end(), {startupWholeDisk, "disk3s1", startupDevice, dataDevice});
    wholeDisks.push_back(startupWholeDisk);
    for (const Volume& volume : current.volumes) {
        if (volume.state == VolumeState::ejected)
            continue;
        PropertyDictionary info = volumeInfo(volume);
        PropertyDictionary partition{{"DeviceIdentifier", volume.device},
                                     {"VolumeName", volume.name},
                                     {"Content", info["Content"]},
                                     {"Size", info["Size"]}};
        if (volume.state == VolumeState::mounted)
            partition["MountPoint"] = volume.mountPoint();
        disks.push_back(PropertyDictionary{{"DeviceIdentifier", volume.wholeDisk()},
                                           {"Content", "GUID_partition_scheme"},
                                           {"OSInternal", false},
                                           {"Size", info["Size"]},
                                           {"Partitions", PropertyArray{partition}}});
        allDisks.push_back(volume.wholeDisk());
        allDisks.push_back(volume.device);
        wholeDisks.push_back(volume.wholeDisk());
        if (volume.state == VolumeState::mounted)
            volumesFromDisks.push_back(volume.name);
    }
    return {{"AllDisksAndPartitions", disks},
            {"AllDisks", allDisks},
            {"WholeDisks", wholeDisks},
            {"VolumesFromDisks", volumesFromDisks}};
}

bool Machine::setFullDiskAccess(FullDiskAccess access, std::string* error) {
    return update(
        [&](MachineState& state) {
            state.fullDiskAccess = access;
            if (access == FullDiskAccess::missing)
                QDir(q(protectedFolder())).removeRecursively();
            else
                QDir().mkpath(q(protectedFolder()));
            return true;
        },
        error);
}

std::optional<std::uint32_t> Machine::createAssertion(const std::string& type, std::uint32_t level,
                                                      const std::string& name, const ProcessIdentity& owner) {
    std::uint32_t id = 0;
    bool written = update([&](MachineState& state) {
        pruneDeadAssertions(state);
        id = state.nextAssertionId++;
        if (state.nextAssertionId == 0)
            state.nextAssertionId = 1;
        state.assertions.push_back({id, owner, type, level, name});
        return true;
    });
    return written ? std::optional(id) : std::nullopt;
}

bool Machine::releaseAssertion(std::uint32_t id) {
    bool found = false;
    update([&](MachineState& state) {
        found = std::erase_if(state.assertions, [&](const Assertion& a) { return a.id == id; }) > 0;
        pruneDeadAssertions(state);
        return true;
    });
    return found;
}

std::vector<Assertion> Machine::liveAssertions() const {
    std::vector<Assertion> live = state().assertions;
    std::erase_if(live, [](const Assertion& assertion) { return !assertion.owner.isAlive(); });
    return live;
}

int Machine::receiveAnalytics(const std::string& body) {
    QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(body));
    if (!document.isArray())
        return 400;
    const int status = state().analyticsStatus;
    // A status outside 2xx records nothing on purpose.
    if (status < 200 || status > 299)
        return status;
    QByteArray lines;
    for (const auto& record : document.array())
        if (record.isObject())
            lines += QJsonDocument(record.toObject()).toJson(QJsonDocument::Compact) + '\n';
    // A failed write is the service failing.
    return appendToLog(analyticsPath(), lines, nullptr) ? status : 500;
}

bool Machine::appendToLog(const std::string& path, const QByteArray& lines, std::string* error) {
    auto lock = lockMachine(error);
    if (!lock)
        return false;
    QFile file(q(path));
    if (file.open(QIODevice::Append) && file.write(lines) == lines.size() && file.flush())
        return true;
    if (error)
        *error = "cannot write " + path + ": " + file.errorString().toStdString();
    return false;
}

std::vector<PostedNotification> Machine::notifications() const {
    std::vector<PostedNotification> posted;
    QFile file(q(notificationLogPath()));
    if (!file.open(QIODevice::ReadOnly))
        return posted;
    while (!file.atEnd()) {
        // A line cut short by a crash is passed over.
        QJsonObject line = QJsonDocument::fromJson(file.readLine()).object();
        if (line.isEmpty())
            continue;
        if (!line.contains("presented")) {
            posted.push_back(PostedNotification::fromJson(line));
            continue;
        }
        const std::string identifier = line.value("presented").toString().toStdString();
        auto answered = std::find_if(posted.rbegin(), posted.rend(), [&](const PostedNotification& notification) {
            return notification.identifier == identifier && !notification.presentationOptions;
        });
        if (answered != posted.rend())
            answered->presentationOptions = PostedNotification::fromJson(line).presentationOptions;
    }
    return posted;
}

bool Machine::recordNotification(const PostedNotification& notification, std::string* error) {
    return appendToLog(notificationLogPath(),
                       QJsonDocument(notification.toJson()).toJson(QJsonDocument::Compact) + '\n', error);
}

bool Machine::recordPresentation(const std::string& identifier, unsigned options) {
    const QJsonObject line{{"presented", q(identifier)}, {"presentationOptions", static_cast<double>(options)}};
    return appendToLog(notificationLogPath(), QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n', nullptr);
}

QJsonArray Machine::analyticsRecords() const {
    QJsonArray records;
    QFile file(q(analyticsPath()));
    if (!file.open(QIODevice::ReadOnly))
        return records;
    while (!file.atEnd()) {
        // A line cut short by a crash is passed over.
        QJsonDocument line = QJsonDocument::fromJson(file.readLine());
        if (line.isObject())
            records.append(line.object());
    }
    return records;
}

bool Machine::attachApp(const ProcessIdentity& app) {
    return update([&](MachineState& state) {
        state.app = app;
        return true;
    });
}

void Machine::detachApp(const ProcessIdentity& app) {
    update([&](MachineState& state) {
        if (!state.app || state.app->pid != app.pid)
            return false;
        state.app.reset();
        return true;
    });
}

std::optional<ProcessIdentity> Machine::attachedApp() const {
    std::optional<ProcessIdentity> app = state().app;
    if (app && !app->isAlive())
        return std::nullopt;
    return app;
}

} // namespace macsim
