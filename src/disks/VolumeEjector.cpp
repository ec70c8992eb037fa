#include "disks/VolumeEjector.h"

#include "base/Preferences.h"
#include "platform/Log.h"

namespace tallowmere {
namespace {

// A volume that has only just appeared may not be registered yet: its identifier is asked for once more after this.
constexpr Seconds identifierRetryPause{0.1};
// Before a volume goes offline, what was writing to it gets a moment to finish; a backup just stopped, a longer one.
constexpr Seconds pauseBeforeOffline{0.5};
constexpr Seconds pauseAfterStoppedBackup{1.5};
// The workspace reports an eject done before the volume has left the mount table; it is looked at after this.
constexpr Seconds settleAfterEject{1.5};

} // namespace

VolumeEjector::VolumeEjector(const DiskServices& services, WeakOwner owner, const VolumeDiscovery& discovery)
    : m_services(services)
    , m_owner(std::move(owner))
    , m_discovery(discovery)
    , m_timeMachine(services) {}

Diskutil VolumeEjector::diskutil() const {
    return Diskutil(m_services.processes, m_services.tools);
}

void VolumeEjector::takeOffline(const EligibleVolume& volume, EjectOptions options,
                                std::shared_ptr<const BatchContext> batch, EjectCompletion completion) {
    Runtime& runtime = m_services.runtime;
    std::optional<std::string> resolved;
    if (!volume.identifier.empty())
        resolved = volume.identifier;
    else
        resolved = m_discovery.resolveDeviceIdentifier(volume.url);
    if (!resolved || resolved->empty()) {
        runtime.sleepFor(identifierRetryPause);
        resolved = m_discovery.resolveDeviceIdentifier(volume.url);
    }
    const EligibleVolume resolvedVolume{volume.url, resolved.value_or(std::string())};
    Method method = Method::workspaceEject;
    if (options.force)
        method = Method::forcedUnmount;
    else if (boolPreference(m_services.preferences, PreferenceKey::unmountInsteadOfEject))
        method = Method::unmount;

    runtime.globalAsync(QoS::Utility, [this, owner = m_owner(), &runtime, volume = resolvedVolume, method,
                                       batch = std::move(batch), completion = std::move(completion)] {
        Outcome outcome;
        if (const auto alive = owner.lock()) {
            const bool stoppedBackup = batch ? m_timeMachine.stopBackupTo(batch->backup, volume.url)
                                             : m_timeMachine.stopBackupIfRunning(volume.url);
            runtime.sleepFor(stoppedBackup ? pauseAfterStoppedBackup : pauseBeforeOffline);
            if (batch)
                batch->listed->wait();
            outcome =
                method == Method::workspaceEject ? ejectThroughWorkspace(volume) : unmountWithDiskutil(volume, method);
            report(volume, method, outcome);
        }
        // Also when the manager is gone: the caller (a batch's group, for one) still waits for its one answer.
        runtime.mainAsync([completion, outcome] {
            if (completion)
                completion(outcome.offline, outcome.record);
        });
    });
}

void VolumeEjector::report(const EligibleVolume& volume, Method method, const Outcome& outcome) {
    std::string line = method == Method::workspaceEject ? "Eject "
                       : method == Method::unmount      ? "Unmount "
                                                        : "Forced unmount ";
    line += volume.name() + ": ";
    if (outcome.offline)
        line += "taken offline";
    else if (outcome.record)
        line += "outcome unknown: " + outcome.why + "; kept for the remount";
    else
        line += "failed: " + outcome.why;
    logLine(LogCategory::disks(), line);
}

VolumeEjector::Outcome VolumeEjector::ejectThroughWorkspace(const EligibleVolume& volume) {
    const WorkspaceEject eject = unmountAndEjectWithinLimit(volume.url);
    if (eject.error)
        return {false, std::nullopt, *eject.error};
    m_services.runtime.sleepFor(settleAfterEject);
    const bool pathExists = m_services.fileSystem.exists(volume.url);
    const std::optional<bool> mounted = diskutil().mountState(volume.name(), volume.identifier);
    // An eject given up may still finish, and a look that ran out of time proves nothing: the volume keeps its
    // record either way.
    const EjectedDiskInfo record{volume.url, volume.identifier.empty() ? "unknown" : volume.identifier, volume.name()};
    if (!pathExists && mounted == false)
        return {true, record, {}};
    if (eject.timedOut)
        return {false, record, "the workspace eject did not finish within its time limit"};
    if (!pathExists && !mounted)
        return {false, record, "diskutil did not answer in time"};
    return {false, std::nullopt, "still mounted after the eject"};
}

VolumeEjector::WorkspaceEject VolumeEjector::unmountAndEjectWithinLimit(const std::string& url) {
    // The workspace's eject cannot be interrupted: it runs on a thread of its own, which is left to finish by itself
    // when the limit passes first.
    auto error = std::make_shared<std::optional<std::string>>();
    std::shared_ptr<Semaphore> done = m_services.runtime.makeSemaphore(0);
    m_services.runtime.globalAsync(QoS::Utility, [&workspace = m_services.workspace, url, error, done] {
        *error = workspace.unmountAndEjectDevice(url);
        done->signal();
    });
    if (!done->wait(offlineTimeLimit))
        return {std::nullopt, true};
    return {*error, false};
}

VolumeEjector::Outcome VolumeEjector::unmountWithDiskutil(const EligibleVolume& volume, Method method) {
    const std::string name = volume.name();
    ProcessResult unmount = runUnmount(volume.url, "mountPath", method, name);
    // A drive that did not answer in time will not answer to its identifier either.
    if (!unmount.succeeded() && !unmount.timedOut && !volume.identifier.empty())
        unmount = runUnmount(volume.identifier, "deviceIdentifier", method, name);
    if (!unmount.succeeded() && !unmount.timedOut)
        return {false, std::nullopt,
                unmount.started ? "diskutil unmount exited with status " + std::to_string(unmount.exitStatus)
                                : "diskutil could not run"};

    // An unmount that ran out of time may still finish, and a look that ran out of time proves nothing: either way
    // the volume keeps its record, so that it comes back, but only one seen offline counts as taken offline.
    const std::optional<bool> mounted = diskutil().mountState(name, volume.identifier);
    const EjectedDiskInfo record{volume.url, volume.identifier, name};
    if (mounted == false)
        return {true, record, {}};
    if (unmount.timedOut)
        return {false, record, "diskutil unmount did not finish within its time limit"};
    if (!mounted)
        return {false, record, "diskutil did not answer in time"};
    return {false, std::nullopt, "still mounted after the unmount"};
}

ProcessResult VolumeEjector::runUnmount(const std::string& target, const std::string& label, Method method,
                                        const std::string& volumeName) {
    std::vector<std::string> arguments{"unmount"};
    if (method == Method::forcedUnmount)
        arguments.push_back("force");
    arguments.push_back(target);
    ProcessResult result = diskutil().run(std::move(arguments), Diskutil::Capture::outputAndError, offlineTimeLimit);
    if (!result.started)
        logError(LogCategory::disks(), "ERROR: Failed to run diskutil unmount for " + volumeName + " (" + label +
                                           "): " + result.errorDescription);
    return result;
}

} // namespace tallowmere
