#pragma once

#include "simulator/MachineState.h"

#include "platform/FileLock.h"
#include "platform/PropertyValue.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace macsim {

// Outcome of an operation on the machine: on success the text a tool prints, on failure the message for
// standard error; plus the workspace notifications the running application must be told about.
struct MachineResult {
    bool ok = false;
    std::string message;
    std::vector<std::string> announcements;

    static MachineResult failure(std::string message) { return {false, std::move(message), {}}; }
};

// The simulated Mac in its folder. The state is one JSON file, changed only under an exclusive file lock
// and replaced atomically, so the application, the stand-in tools and the control CLI can all change it at
// once without losing an update. Mounted volumes are real folders <folder>/Volumes/NAME; an unmounted or
// ejected volume keeps its files in <folder>/Disks/DEVICE until it is removed.
class Machine {
public:
    // `macsimPath`: the executable the stand-in tool links in <folder>/bin point to (none: leave them).
    explicit Machine(const std::string& folder, std::string macsimPath = {});

    // Creates a fresh default machine when there is none, and restores missing folders and tool links.
    bool prepare(std::string* error = nullptr);

    const std::string& folder() const { return m_folder; }
    std::string statePath() const { return m_folder + "/machine.json"; }
    std::string volumesFolder() const { return m_folder + "/Volumes"; }
    std::string disksFolder() const { return m_folder + "/Disks"; }
    std::string binFolder() const { return m_folder + "/bin"; }
    std::string homeFolder() const { return m_folder + "/home"; }
    std::string domainPath() const { return homeFolder() + "/Library/Preferences/com.tallowmere.app.plist"; }
    std::string cachesFolder() const { return homeFolder() + "/Library/Caches"; }
    std::string protectedFolder() const { return homeFolder() + "/Library/Metadata/CoreSpotlight"; }
    std::string socketPath() const { return m_folder + "/app.sock"; }
    // The records the analytics service received, one JSON object per line. Kept apart from the state, which
    // every tool run and the application read whole: there they would make every read larger without end.
    std::string analyticsPath() const { return m_folder + "/analytics.jsonl"; }
    // The user notifications posted and the delegate's answers about them, likewise one JSON object a line.
    std::string notificationLogPath() const { return m_folder + "/notifications.jsonl"; }

    // The state as it is now (a default machine when the folder holds none yet).
    MachineState state() const;
    // Applies `change` under the lock; nothing is written when it returns false.
    bool update(const std::function<bool(MachineState&)>& change, std::string* error = nullptr);
    // Replaces the machine with a fresh default one. An attached application stays attached.
    bool reset(std::string* error = nullptr);

    // Volumes. Targets are what `diskutil` accepts: a mount path, a device identifier or a volume name.
    MachineResult addVolume(const std::string& name, VolumeKind kind, bool busy,
                            const std::map<std::string, std::string>& info);
    MachineResult removeVolume(const std::string& nameOrDevice);
    MachineResult setBusy(const std::string& nameOrDevice, bool busy);
    MachineResult setHung(const std::string& nameOrDevice, bool hung);
    // From now on the volume's unmounts and ejects complete `seconds` after they are asked for (0: at once).
    MachineResult setSlow(const std::string& nameOrDevice, double seconds);
    // Blocks while `target` (as `diskutil` takes it) names a volume that stopped answering: a tool run about it
    // waits until the volume answers again or its caller kills it.
    void waitWhileHung(const std::string& target) const;
    // On a slow volume these wait for the change, which happens when it is due even if the caller is killed first.
    MachineResult unmount(const std::string& target, bool force);
    MachineResult mount(const std::string& target);
    MachineResult mountDisk(const std::string& target);
    // The workspace's unmount-and-eject of the volume mounted at `mountPath`; refused while it is busy.
    MachineResult eject(const std::string& mountPath);
    // Carries out the slow unmounts and ejects that are due (only the volume `device`, when given); their results.
    std::vector<MachineResult> settleDueOffline(const std::string& device = {});
    std::optional<tallowmere::PropertyDictionary> diskInfo(const std::string& target) const;
    tallowmere::PropertyDictionary diskList() const;

    MachineResult startBackup(const std::string& nameOrDevice);
    void stopBackup();

    bool setFullDiskAccess(FullDiskAccess access, std::string* error = nullptr);

    // Power assertions; each remembers the process that created it and is gone once that process ends.
    std::optional<std::uint32_t> createAssertion(const std::string& type, std::uint32_t level, const std::string& name,
                                                 const ProcessIdentity& owner);
    bool releaseAssertion(std::uint32_t id);
    std::vector<Assertion> liveAssertions() const;

    // The simulated analytics ingestion service: one request body (a JSON array of signal records). The
    // records are kept when the configured status is 2xx; returns that status (400 for a malformed body).
    int receiveAnalytics(const std::string& body);
    // Every record received, oldest first.
    QJsonArray analyticsRecords() const;

    // The user notifications posted, oldest first, with the presentation the application's delegate chose.
    std::vector<PostedNotification> notifications() const;
    bool recordNotification(const PostedNotification& notification, std::string* error = nullptr);
    // The presentation chosen for the latest notification with this identifier that has none yet.
    bool recordPresentation(const std::string& identifier, unsigned options);

    // The application attached to this machine (it serves <folder>/app.sock).
    bool attachApp(const ProcessIdentity& app);
    void detachApp(const ProcessIdentity& app);
    std::optional<ProcessIdentity> attachedApp() const;

private:
    std::string lockPath() const { return m_folder + "/machine.lock"; }
    std::string volumeFolder(const std::string& name) const { return volumesFolder() + "/" + name; }
    std::string diskFolder(const std::string& device) const { return disksFolder() + "/" + device; }
    // Creates the folder if needed and takes the machine's lock; nothing (and `error`) when either fails.
    std::unique_ptr<tallowmere::FileLock> lockMachine(std::string* error) const;
    MachineState readStateLocked(bool repair) const;
    bool writeStateLocked(const MachineState& state, std::string* error);
    std::vector<std::string> requiredFolders() const;
    bool createFolders(std::string* error);
    bool isUsableToolLink(const char* tool) const;
    void linkTools();
    // The folders, the tool links and the state are all there (looked at without the lock).
    bool isPrepared() const;
    MachineResult volumeChange(const std::function<MachineResult(MachineState&)>& change);
    MachineResult unmountIn(MachineState& state, const std::string& target, bool force);
    MachineResult ejectIn(MachineState& state, const std::string& mountPath);
    // Asks a slow volume to go offline and waits for it; nothing when the volume is not slow or refuses at once.
    std::optional<MachineResult> offlineSlowly(const std::string& target, bool eject, bool force);
    // A process of its own that carries out what is asked, so that it happens even when the asker is killed.
    void startSettling() const;
    // Sets one of a volume's switches (busy, hung).
    MachineResult setFlag(const std::string& nameOrDevice, bool Volume::*flag, bool value);
    bool moveFolder(const std::string& from, const std::string& to);
    // Appends lines to one of the machine's logs, under the machine's lock.
    bool appendToLog(const std::string& path, const QByteArray& lines, std::string* error);

    std::string m_folder;
    std::string m_macsimPath;
};

// Why a volume name cannot be used, or nothing when it can.
std::optional<std::string> volumeNameProblem(const std::string& name);

} // namespace macsim
