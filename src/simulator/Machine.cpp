#include "simulator/Machine.h"

#include "simulator/VolumeInfo.h"

#include "platform/FileLock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QUuid>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace macsim {

using tallowmere::PropertyArray;
using tallowmere::PropertyDictionary;

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

constexpr QFile::Permissions ownerOnly =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;

enum class TargetKind { none, startup, data, container, volume, wholeDisk };
struct Target {
    TargetKind kind = TargetKind::none;
    Volume* volume = nullptr;
};

// Resolves a `diskutil` target. Ejected disks are gone from the system and resolve to nothing; a mount path
// names only a volume that is mounted there.
Target resolve(MachineState& state, const std::string& text) {
    auto usable = [](Volume* volume) { return volume && volume->state != VolumeState::ejected ? volume : nullptr; };
    if (!text.empty() && text.front() == '/' && text.rfind("/dev/", 0) != 0) {
        std::string path = QDir::cleanPath(q(text)).toStdString();
        if (path == "/")
            return {TargetKind::startup, nullptr};
        if (path == "/System/Volumes/Data")
            return {TargetKind::data, nullptr};
        if (Volume* volume = state.findMountedVolumeByPath(path))
            return {TargetKind::volume, volume};
        return {};
    }
    std::string device = text.rfind("/dev/", 0) == 0 ? text.substr(5) : text;
    static const QRegularExpression devicePattern("^disk[0-9]+(s[0-9]+)*$");
    if (devicePattern.match(q(device)).hasMatch()) {
        if (device == startupDevice || device == "disk3s1")
            return {TargetKind::startup, nullptr};
        if (device == dataDevice)
            return {TargetKind::data, nullptr};
        if (device == startupWholeDisk)
            return {TargetKind::container, nullptr};
        if (Volume* volume = usable(state.findVolumeByDevice(device)))
            return {TargetKind::volume, volume};
        for (Volume& volume : state.volumes)
            if (volume.state != VolumeState::ejected && volume.wholeDisk() == device)
                return {TargetKind::wholeDisk, &volume};
    }
    if (Volume* volume = usable(state.findVolumeByName(text)))
        return {TargetKind::volume, volume};
    if (text == "Macintosh HD")
        return {TargetKind::startup, nullptr};
    if (text == "Macintosh HD - Data")
        return {TargetKind::data, nullptr};
    return {};
}

Volume* findByNameOrDevice(MachineState& state, const std::string& text) {
    std::string device = text.rfind("/dev/", 0) == 0 ? text.substr(5) : text;
    if (Volume* volume = state.findVolumeByDevice(device))
        return volume;
    return state.findVolumeByName(text);
}

bool isBusy(const MachineState& state, const Volume& volume) {
    return volume.busy || (state.timeMachineDevice && *state.timeMachineDevice == volume.device);
}

std::string describe(const Volume& volume) {
    return "Volume " + volume.name + " on " + volume.device;
}

void pruneDeadAssertions(MachineState& state) {
    std::erase_if(state.assertions, [](const Assertion& assertion) { return !assertion.owner.isAlive(); });
}

} // namespace

std::optional<std::string> volumeNameProblem(const std::string& name) {
    if (name.empty())
        return "a volume name cannot be empty";
    if (name == "." || name == "..")
        return "a volume cannot be named \"" + name + "\"";
    if (name.find('/') != std::string::npos)
        return "a volume name cannot contain \"/\"";
    if (name.find('\0') != std::string::npos)
        return "a volume name cannot contain a NUL character";
    if (name.size() > 255)
        return "a volume name can have at most 255 bytes";
    if (QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).toUtf8() !=
        QByteArray(name.data(), static_cast<qsizetype>(name.size())))
        return "a volume name must be UTF-8 text";
    return std::nullopt;
}

Machine::Machine(std::string folder, std::string macsimPath)
    : m_folder(QDir::cleanPath(q(folder)).toStdString())
    , m_macsimPath(std::move(macsimPath)) {}

std::vector<std::string> Machine::requiredFolders() const {
    return {m_folder,      volumesFolder(), disksFolder(), binFolder(), homeFolder() + "/Library/Preferences",
            cachesFolder()};
}

bool Machine::createFolders(std::string* error) {
    for (const std::string& folder : requiredFolders()) {
        if (!QDir().mkpath(q(folder))) {
            if (error)
                *error = "cannot create the folder " + folder;
            return false;
        }
    }
    // The machine, with the application's socket and the user's preferences in it, is the user's alone.
    if (!QFile::setPermissions(q(m_folder), ownerOnly)) {
        if (error)
            *error = "cannot make the folder " + m_folder + " private";
        return false;
    }
    return true;
}

// A link whose target still runs is kept, so two builds sharing one machine do not fight over it.
bool Machine::isUsableToolLink(const char* tool) const {
    QFileInfo current(q(binFolder() + "/" + tool));
    return current.isSymLink() && QFileInfo(current.symLinkTarget()).isExecutable();
}

void Machine::linkTools() {
    if (m_macsimPath.empty())
        return;
    for (const char* tool : {"diskutil", "tmutil", "pmset"}) {
        if (isUsableToolLink(tool))
            continue;
        QString link = q(binFolder() + "/" + tool);
        QFile::remove(link);
        QFile::link(q(m_macsimPath), link);
    }
}

bool Machine::isPrepared() const {
    for (const std::string& folder : requiredFolders())
        if (!QFileInfo(q(folder)).isDir())
            return false;
    if (QFileInfo(q(m_folder)).permissions() & ~ownerOnly)
        return false;
    if (!m_macsimPath.empty())
        for (const char* tool : {"diskutil", "tmutil", "pmset"})
            if (!isUsableToolLink(tool))
                return false;
    return QFileInfo::exists(q(statePath()));
}

std::unique_ptr<tallowmere::FileLock> Machine::lockMachine(std::string* error) const {
    if (!QDir().mkpath(q(m_folder))) {
        if (error)
            *error = "cannot create the machine folder " + m_folder;
        return nullptr;
    }
    auto lock = std::make_unique<tallowmere::FileLock>(lockPath());
    if (!lock->isLocked()) {
        if (error)
            *error = "cannot lock the machine in " + m_folder;
        return nullptr;
    }
    return lock;
}

bool Machine::prepare(std::string* error) {
    // Every stand-in tool run starts here; on a machine that is complete it must not queue for the lock.
    if (isPrepared())
        return true;
    auto lock = lockMachine(error);
    if (!lock)
        return false;
    if (!createFolders(error))
        return false;
    linkTools();
    if (QFileInfo::exists(q(statePath())))
        return true;
    QDir().mkpath(q(protectedFolder()));
    return writeStateLocked(MachineState{}, error);
}

MachineState Machine::readStateLocked(bool repair) const {
    QFile file(q(statePath()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    file.close();
    QJsonParseError parseError{};
    QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (document.isObject())
        return MachineState::fromJson(document.object());
    if (repair) {
        // A damaged state file is kept beside the machine rather than overwritten.
        QString aside = q(statePath()) + ".corrupt-" + QDateTime::currentDateTimeUtc().toString("yyyyMMdd-HHmmss-zzz");
        QFile::rename(q(statePath()), aside);
        std::fprintf(stderr, "macsim: %s was not readable (%s); moved it to %s and started a default machine\n",
                     statePath().c_str(), parseError.errorString().toStdString().c_str(), aside.toStdString().c_str());
    }
    return {};
}

bool Machine::writeStateLocked(const MachineState& state, std::string* error) {
    // Replaced by a rename, so every reader sees a whole state. Not synced to the disk: the machine is a model
    // that need not survive a power cut, and a sync on every tool run (all of them queued on the machine's lock)
    // made a many-volume sleep wait for the disk more than for anything the application does.
    const std::string next = statePath() + ".next";
    QFile file(q(next));
    QByteArray bytes = QJsonDocument(state.toJson()).toJson(QJsonDocument::Indented);
    bool written =
        file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (written && std::rename(next.c_str(), statePath().c_str()) == 0)
        return true;
    if (error)
        *error = "cannot write " + statePath() + ": " + file.errorString().toStdString();
    QFile::remove(q(next));
    return false;
}

MachineState Machine::state() const {
    return readStateLocked(false);
}

bool Machine::update(const std::function<bool(MachineState&)>& change, std::string* error) {
    auto lock = lockMachine(error);
    if (!lock)
        return false;
    MachineState state = readStateLocked(true);
    if (!change(state))
        return false;
    return writeStateLocked(state, error);
}

bool Machine::reset(std::string* error) {
    if (!QDir().mkpath(q(m_folder))) {
        if (error)
            *error = "cannot create the machine folder " + m_folder;
        return false;
    }
    tallowmere::FileLock lock(lockPath());
    std::optional<ProcessIdentity> app = readStateLocked(false).app;
    for (const std::string& folder : {volumesFolder(), disksFolder(), homeFolder()})
        QDir(q(folder)).removeRecursively();
    QFile::remove(q(analyticsPath()));
    QFile::remove(q(notificationLogPath()));
    if (!createFolders(error))
        return false;
    linkTools();
    QDir().mkpath(q(protectedFolder()));
    MachineState fresh;
    fresh.app = app;
    return writeStateLocked(fresh, error);
}

bool Machine::moveFolder(const std::string& from, const std::string& to) {
    if (!QFileInfo::exists(q(from)))
        return QDir().mkpath(q(to));
    return QDir().rename(q(from), q(to));
}

MachineResult Machine::volumeChange(const std::function<MachineResult(MachineState&)>& change) {
    MachineResult result;
    std::string error;
    bool written = update(
        [&](MachineState& state) {
            result = change(state);
            return result.ok;
        },
        &error);
    if (result.ok && !written)
        return MachineResult::failure(error);
    return result;
}

MachineResult Machine::addVolume(const std::string& name, VolumeKind kind, bool busy,
                                 const std::map<std::string, std::string>& info) {
    if (auto problem = volumeNameProblem(name))
        return MachineResult::failure(*problem);
    return volumeChange([&](MachineState& state) {
        if (state.findVolumeByName(name))
            return MachineResult::failure("a volume named " + name + " is already connected");
        Volume volume;
        volume.device = "disk" + std::to_string(state.nextDiskNumber) + "s1";
        volume.name = name;
        volume.kind = kind;
        volume.busy = busy;
        volume.uuid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString();
        volume.infoOverrides = info;
        if (QFileInfo::exists(q(volumeFolder(name))) || !QDir().mkpath(q(volumeFolder(name))))
            return MachineResult::failure("cannot mount " + name + ": " + volumeFolder(name) + " is in the way");
        ++state.nextDiskNumber;
        state.volumes.push_back(volume);
        return MachineResult{true, volume.device, {"NSWorkspaceDidMountNotification"}};
    });
}

MachineResult Machine::removeVolume(const std::string& nameOrDevice) {
    return volumeChange([&](MachineState& state) {
        Volume* volume = findByNameOrDevice(state, nameOrDevice);
        if (!volume)
            return MachineResult::failure("no volume or disk named " + nameOrDevice);
        MachineResult result{true, {}, {}};
        if (volume->state == VolumeState::mounted) {
            QDir(q(volumeFolder(volume->name))).removeRecursively();
            result.announcements.push_back("NSWorkspaceDidUnmountNotification");
        }
        QDir(q(diskFolder(volume->device))).removeRecursively();
        if (state.timeMachineDevice == volume->device)
            state.timeMachineDevice.reset();
        std::string device = volume->device;
        std::erase_if(state.volumes, [&](const Volume& v) { return v.device == device; });
        return result;
    });
}

MachineResult Machine::setBusy(const std::string& nameOrDevice, bool busy) {
    return setFlag(nameOrDevice, &Volume::busy, busy);
}

MachineResult Machine::setHung(const std::string& nameOrDevice, bool hung) {
    return setFlag(nameOrDevice, &Volume::hung, hung);
}

MachineResult Machine::setSlow(const std::string& nameOrDevice, double seconds) {
    return volumeChange([&](MachineState& state) {
        Volume* volume = findByNameOrDevice(state, nameOrDevice);
        if (!volume)
            return MachineResult::failure("no volume or disk named " + nameOrDevice);
        volume->slowSeconds = seconds;
        return MachineResult{true, {}, {}};
    });
}

MachineResult Machine::setFlag(const std::string& nameOrDevice, bool Volume::*flag, bool value) {
    return volumeChange([&](MachineState& state) {
        Volume* volume = findByNameOrDevice(state, nameOrDevice);
        if (!volume)
            return MachineResult::failure("no volume or disk named " + nameOrDevice);
        volume->*flag = value;
        return MachineResult{true, {}, {}};
    });
}

void Machine::waitWhileHung(const std::string& target) const {
    for (;;) {
        MachineState current = state();
        const Volume* volume = resolve(current, target).volume;
        if (!volume || !volume->hung)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

MachineResult Machine::unmount(const std::string& target, bool force) {
    if (auto slow = offlineSlowly(target, false, force))
        return *slow;
    return volumeChange([&](MachineState& state) { return unmountIn(state, target, force); });
}

MachineResult Machine::unmountIn(MachineState& state, const std::string& target, bool force) {
    Target found = resolve(state, target);
    if (found.kind == TargetKind::startup || found.kind == TargetKind::data || found.kind == TargetKind::container)
        return MachineResult::failure("Unmount of " + target + " failed: the startup disk cannot be unmounted");
    if (!found.volume)
        return MachineResult::failure("Unable to find disk for " + target);
    Volume& volume = *found.volume;
    if (volume.state != VolumeState::mounted)
        return MachineResult{true, describe(volume) + " was already unmounted", {}};
    if (!force && isBusy(state, volume))
        return MachineResult::failure(describe(volume) + " failed to unmount: dissented by PID 297 (/usr/libexec/" +
                                      (volume.busy ? "mds" : "backupd") + ")");
    if (!moveFolder(volumeFolder(volume.name), diskFolder(volume.device)))
        return MachineResult::failure(describe(volume) + " failed to unmount: cannot move " +
                                      volumeFolder(volume.name));
    volume.state = VolumeState::unmounted;
    if (state.timeMachineDevice == volume.device)
        state.timeMachineDevice.reset();
    return MachineResult{
        true, describe(volume) + (force ? " force-unmounted" : " unmounted"), {"NSWorkspaceDidUnmountNotification"}};
}

MachineResult Machine::mount(const std::string& target) {
    // `diskutil mount disk4` mounts the disk's volumes, like mountDisk.
    MachineState current = state();
    if (TargetKind kind = resolve(current, target).kind; kind == TargetKind::container || kind == TargetKind::wholeDisk)
        return mountDisk(target);
    return volumeChange([&](MachineState& state) {
        Target found = resolve(state, target);
        if (found.kind == TargetKind::startup || found.kind == TargetKind::data || found.kind == TargetKind::container)
            return MachineResult{true, "Volume on " + target + " is already mounted", {}};
        if (!found.volume)
            return MachineResult::failure("Unable to find disk for " + target);
        Volume& volume = *found.volume;
        if (volume.state == VolumeState::mounted)
            return MachineResult{true, describe(volume) + " mounted", {}};
        if (QFileInfo::exists(q(volumeFolder(volume.name))) ||
            !moveFolder(diskFolder(volume.device), volumeFolder(volume.name)))
            return MachineResult::failure(describe(volume) + " failed to mount: " + volumeFolder(volume.name) +
                                          " is in the way");
        volume.state = VolumeState::mounted;
        return MachineResult{true, describe(volume) + " mounted", {"NSWorkspaceDidMountNotification"}};
    });
}

MachineResult Machine::mountDisk(const std::string& target) {
    return volumeChange([&](MachineState& state) {
        Target found = resolve(state, target);
        if (found.kind == TargetKind::startup || found.kind == TargetKind::data || found.kind == TargetKind::container)
            return MachineResult{true, "Volume(s) mounted successfully", {}};
        if (!found.volume)
            return MachineResult::failure("Unable to find disk for " + target);
        std::string wholeDisk = found.volume->wholeDisk();
        MachineResult result{true, "Volume(s) mounted successfully", {}};
        for (Volume& volume : state.volumes) {
            if (volume.wholeDisk() != wholeDisk || volume.state != VolumeState::unmounted)
                continue;
            if (QFileInfo::exists(q(volumeFolder(volume.name))) ||
                !moveFolder(diskFolder(volume.device), volumeFolder(volume.name)))
                return MachineResult::failure("Volume(s) on " + wholeDisk +
                                              " failed to mount: " + volumeFolder(volume.name) + " is in the way");
            volume.state = VolumeState::mounted;
            result.announcements.push_back("NSWorkspaceDidMountNotification");
        }
        return result;
    });
}

MachineResult Machine::eject(const std::string& mountPath) {
    if (auto slow = offlineSlowly(mountPath, true, false))
        return *slow;
    return volumeChange([&](MachineState& state) { return ejectIn(state, mountPath); });
}

MachineResult Machine::ejectIn(MachineState& state, const std::string& mountPath) {
    std::string path = QDir::cleanPath(q(mountPath)).toStdString();
    Volume* volume = state.findMountedVolumeByPath(path);
    if (!volume)
        return MachineResult::failure("The volume at " + mountPath + " could not be found.");
    if (isBusy(state, *volume))
        return MachineResult::failure("The volume \u201C" + volume->name +
                                      "\u201D can\u2019t be ejected because it\u2019s in use.");
    if (!moveFolder(volumeFolder(volume->name), diskFolder(volume->device)))
        return MachineResult::failure("The volume \u201C" + volume->name + "\u201D could not be ejected.");
    volume->state = VolumeState::ejected;
    return MachineResult{true, {}, {"NSWorkspaceDidUnmountNotification"}};
}

std::optional<MachineResult> Machine::offlineSlowly(const std::string& target, bool eject, bool force) {
    std::string device;
    bool asked = false;
    update([&](MachineState& state) {
        Volume* volume = eject ? state.findMountedVolumeByPath(QDir::cleanPath(q(target)).toStdString())
                               : resolve(state, target).volume;
        if (!volume || volume->slowSeconds <= 0 || volume->state != VolumeState::mounted ||
            (isBusy(state, *volume) && (eject || !force)))
            return false;
        device = volume->device;
        if (volume->pendingOffline)
            return false; // the change asked for earlier answers this request too
        const auto delay = static_cast<std::int64_t>(volume->slowSeconds * 1000);
        volume->pendingOffline = PendingOffline{eject, force, QDateTime::currentMSecsSinceEpoch() + delay};
        asked = true;
        return true;
    });
    if (device.empty())
        return std::nullopt;
    if (asked)
        startSettling();
    // Whichever comes first when it is due makes the change: this run, or the settler when this run was killed.
    for (;;) {
        if (std::vector<MachineResult> settled = settleDueOffline(device); !settled.empty())
            return settled.front();
        MachineState current = state();
        const Volume* volume = current.findVolumeByDevice(device);
        if (!volume)
            return MachineResult::failure("Unable to find disk for " + target);
        if (!volume->pendingOffline) {
            if (volume->state == VolumeState::mounted)
                return MachineResult::failure(describe(*volume) +
                                              (eject ? " could not be ejected" : " failed to unmount"));
            return MachineResult{true, eject ? std::string() : describe(*volume) + " unmounted", {}};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void Machine::startSettling() const {
    if (m_macsimPath.empty())
        return;
    QProcess settler;
    settler.setProgram(q(m_macsimPath));
    settler.setArguments({"volume", "settle"});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TALLOWMERE_SIM_DIR", q(m_folder));
    settler.setProcessEnvironment(environment);
    settler.setStandardInputFile(QProcess::nullDevice());
    settler.setStandardOutputFile(QProcess::nullDevice());
    settler.setStandardErrorFile(QProcess::nullDevice());
    settler.startDetached();
}

std::vector<MachineResult> Machine::settleDueOffline(const std::string& device) {
    const std::int64_t now = QDateTime::currentMSecsSinceEpoch();
    auto due = [&](const Volume& volume) {
        return volume.pendingOffline && volume.pendingOffline->dueMs <= now &&
               (device.empty() || volume.device == device);
    };
    // Looked at without the lock first: a settler must not bring back a machine folder that was deleted.
    const MachineState current = state();
    if (std::none_of(current.volumes.begin(), current.volumes.end(), due))
        return {};
    std::vector<MachineResult> settled;
    update([&](MachineState& state) {
        for (Volume& volume : state.volumes) {
            if (!due(volume))
                continue;
            const PendingOffline pending = *volume.pendingOffline;
            volume.pendingOffline.reset();
            settled.push_back(pending.eject ? ejectIn(state, volume.mountPoint())
                                            : unmountIn(state, volume.device, pending.force));
        }
        return !settled.empty();
    });
    return settled;
}

std::optional<PropertyDictionary> Machine::diskInfo(const std::string& target) const {
    MachineState current = state();
    Target found = resolve(current, target);
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

MachineResult Machine::startBackup(const std::string& nameOrDevice) {
    return volumeChange([&](MachineState& state) {
        Volume* volume = findByNameOrDevice(state, nameOrDevice);
        if (!volume || volume->state != VolumeState::mounted)
            return MachineResult::failure("no mounted volume named " + nameOrDevice);
        state.timeMachineDevice = volume->device;
        return MachineResult{true, {}, {}};
    });
}

void Machine::stopBackup() {
    update([](MachineState& state) {
        state.timeMachineDevice.reset();
        return true;
    });
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
    for (const QJsonValue& record : document.array())
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
