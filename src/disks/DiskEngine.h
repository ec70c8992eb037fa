#pragma once

#include "disks/DiskTypes.h"
#include "platform/DiskArbitration.h"
#include "platform/FileSystem.h"
#include "platform/PreferenceStore.h"
#include "platform/ProcessRunner.h"
#include "platform/Runtime.h"
#include "platform/SystemTools.h"
#include "platform/Workspace.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tallowmere {

// What ExternalDiskManager and its parts share: the ports they work through, the types of their calls and answers,
// the manager's lifetime and its published lists.

struct DiskServices {
    Runtime& runtime;
    PreferenceStore& preferences;
    ProcessRunner& processes;
    FileSystem& fileSystem;
    SystemTools& tools;
    Workspace& workspace;
    DiskArbitration& diskArbitration;
};

// How volumes are taken offline.
struct EjectOptions {
    // "diskutil unmount force": busy volumes too, and never the workspace's eject.
    bool force = false;
    // Only the volumes the allowlist includes (the automatic eject; the user's commands take every volume).
    bool onlyAllowed = false;
};

// How long a remount keeps trying the volumes that do not come back: one pass, then `retries` more.
struct RemountPolicy {
    int retries = 0;
    // The wake's and the commands': a volume that comes back late still comes back.
    static constexpr RemountPolicy persistent() { return {5}; }
    // One look, for what an earlier run left offline.
    static constexpr RemountPolicy onePass() { return {0}; }
};

// `success`: the volume was seen going offline; it comes with its record. A record without success: taking it
// offline began but was not seen to end (a tool run or a look ran out of time), so it belongs on the remount list.
using EjectCompletion = std::function<void(bool success, std::optional<EjectedDiskInfo> record)>;
using URLsCompletion = std::function<void(std::vector<std::string> urls)>;
// A batch found volumes but nothing to take offline, because diskutil did not answer about this many of them.
using UnansweredHandler = std::function<void(int volumes)>;

// What one remount pass did: the volumes it brought back, and those given up after the last pass.
struct RemountPass {
    std::vector<std::string> remounted;
    std::vector<EjectedDiskInfo> givenUp;
};
struct RemountObserver {
    // Main queue, as each pass ends.
    std::function<void(const RemountPass&)> passEnded;
    // Main queue, before each further pass: false ends the remount and leaves what failed on the list.
    std::function<bool()> isWanted;
};

// The manager as the deferred work of its parts holds it: weakly, so that work finding it gone does nothing; locked,
// the manager and with it every part stays alive while the work runs.
using WeakOwner = std::function<std::weak_ptr<const void>()>;

// The manager's published lists as its parts change them.
class PublishedLists {
public:
    // Main queue.
    virtual const std::vector<EjectedDiskInfo>& lastEjectedDisks() const = 0;
    // Main queue. Also writes the remount list; `settled` are the in-flight volumes of a finished batch.
    virtual void publishLastEjectedDisks(std::vector<EjectedDiskInfo> disks,
                                         const std::vector<EjectedDiskInfo>& settled) = 0;
    // Main queue.
    virtual void publishSelections(std::vector<VolumeSelection> selections) = 0;
    // Any thread: observers re-read the selections, and so the allowlist, on the main queue.
    virtual void republishSelections() = 0;

protected:
    ~PublishedLists() = default;
};

} // namespace tallowmere
