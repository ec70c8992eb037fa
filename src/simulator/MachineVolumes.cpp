// The volume operations of the machine: what `diskutil`, the workspace and macsim's volume commands do to them.
#include "simulator/Machine.h"

#include "simulator/DiskTarget.h"
#include "simulator/QtText.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QUuid>

#include <algorithm>
#include <chrono>
#include <thread>

namespace macsim {
namespace {

bool isBusy(const MachineState& state, const Volume& volume) {
    return volume.busy || (state.timeMachineDevice && *state.timeMachineDevice == volume.device);
}

std::string describe(const Volume& volume) {
    return "Volume " + volume.name + " on " + volume.device;
}

} // namespace

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
            result.announcements.emplace_back("NSWorkspaceDidUnmountNotification");
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
        const Volume* volume = resolveTarget(current, target).volume;
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
    Target found = resolveTarget(state, target);
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
    if (TargetKind kind = resolveTarget(current, target).kind;
        kind == TargetKind::container || kind == TargetKind::wholeDisk)
        return mountDisk(target);
    return volumeChange([&](MachineState& state) {
        Target found = resolveTarget(state, target);
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
        Target found = resolveTarget(state, target);
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
            result.announcements.emplace_back("NSWorkspaceDidMountNotification");
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
                               : resolveTarget(state, target).volume;
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

} // namespace macsim
