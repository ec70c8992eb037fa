#pragma once

#include "platform/PropertyList.h"
#include "platform/Runtime.h"
#include "support/FakeFileSystem.h"
#include "support/FakeProcessRunner.h"
#include "support/FakeSystemTools.h"
#include "support/FakeWorkspace.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <string>

namespace tallowmere::test {

// A consistent little world of external USB volumes behind the fakes: `diskutil info/list/unmount/mount/
// mountDisk` and the workspace eject answer from it and change it, and the file system shows the mounted
// ones under /Volumes/. A slow unmount takes virtual time.
class ScriptedDisks {
public:
    ScriptedDisks(Runtime& runtime, FakeProcessRunner& processes, FakeFileSystem& fileSystem, FakeWorkspace& workspace,
                  const FakeSystemTools& tools)
        : m_runtime(runtime)
        , m_fileSystem(fileSystem) {
        processes.when([diskutil = tools.diskutil()](const ProcessRequest& r) { return r.executable == diskutil; },
                       [this](const ProcessRequest& r) { return diskutilAnswer(r.arguments); });
        workspace.setEjectHandler([this](const std::string& path) -> std::optional<std::string> {
            std::lock_guard lock(m_mutex);
            Volume* volume = findLocked(path);
            if (!volume || !volume->mounted)
                return "The volume could not be found.";
            volume->mounted = false;
            volume->ejected = true;
            publishLocked();
            return std::nullopt;
        });
        publishLocked();
    }

    // Connects a USB disk with one volume, mounted at /Volumes/NAME; returns its device identifier.
    std::string add(const std::string& name) {
        std::lock_guard lock(m_mutex);
        std::string device = "disk" + std::to_string(m_nextDisk++) + "s1";
        m_volumes[name] = {name, device};
        publishLocked();
        return device;
    }
    void takeOffline(const std::string& name) {
        std::lock_guard lock(m_mutex);
        m_volumes.at(name).mounted = false;
        publishLocked();
    }
    bool isMounted(const std::string& name) {
        std::lock_guard lock(m_mutex);
        return m_volumes.at(name).mounted;
    }
    int mountedCount() {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(
            std::count_if(m_volumes.begin(), m_volumes.end(), [](auto& v) { return v.second.mounted; }));
    }

    // Every unmount takes this long (virtual time, on the calling background thread).
    std::atomic<Seconds> unmountDuration{Seconds(0)};

private:
    struct Volume {
        std::string name;
        std::string device;
        bool mounted = true;
        bool ejected = false;
        std::string path() const { return "/Volumes/" + name; }
        std::string wholeDisk() const { return device.substr(0, device.find('s', 4)); }
    };
    using Args = std::vector<std::string>;

    ProcessResult diskutilAnswer(const Args& args) {
        const std::string verb = args.empty() ? std::string() : args[0];
        if (Seconds duration = unmountDuration; verb == "unmount" && duration.count() > 0)
            m_runtime.sleepFor(duration);
        std::lock_guard lock(m_mutex);
        if (args.size() == 3 && verb == "info" && args[1] == "-plist")
            return info(args[2]);
        if (args == Args{"list", "-plist"})
            return list();
        if (args == Args{"list"})
            return FakeProcessRunner::exited(0, "/dev/disk3 (synthesized)\n");
        if (verb == "unmount" && (args.size() == 2 || (args.size() == 3 && args[1] == "force")))
            return unmount(args.back());
        if (args.size() == 2 && (verb == "mount" || verb == "mountDisk"))
            return mount(args[1]);
        return FakeProcessRunner::exited(1, {}, "Unknown verb\n");
    }

    ProcessResult info(const std::string& target) {
        Volume* volume = findLocked(target);
        if (!volume || volume->ejected)
            return FakeProcessRunner::exited(1, {}, "Could not find disk: " + target + "\n");
        PropertyDictionary plist{{"DeviceIdentifier", volume->device},
                                 {"VolumeName", volume->name},
                                 {"MountPoint", volume->mounted ? volume->path() : std::string()},
                                 {"Internal", false},
                                 {"Ejectable", true}};
        return FakeProcessRunner::exited(0, PropertyList::toXml(plist));
    }

    ProcessResult list() {
        PropertyArray disks;
        for (const auto& [name, volume] : m_volumes) {
            PropertyDictionary partition{{"DeviceIdentifier", volume.device}, {"VolumeName", volume.name}};
            if (volume.mounted)
                partition.emplace("MountPoint", volume.path());
            if (!volume.ejected)
                disks.emplace_back(PropertyDictionary{{"DeviceIdentifier", volume.wholeDisk()},
                                                      {"Partitions", PropertyArray{partition}}});
        }
        return FakeProcessRunner::exited(0, PropertyList::toXml(PropertyDictionary{{"AllDisksAndPartitions", disks}}));
    }

    ProcessResult unmount(const std::string& target) {
        Volume* volume = findLocked(target);
        if (!volume || !volume->mounted)
            return FakeProcessRunner::exited(1, {}, "Unmount failed for " + target + "\n");
        volume->mounted = false;
        publishLocked();
        return FakeProcessRunner::exited(0, "Volume " + volume->name + " on " + volume->device + " unmounted\n");
    }

    ProcessResult mount(const std::string& target) {
        bool any = false;
        for (auto& [name, volume] : m_volumes) {
            if (!volume.ejected && (volume.device == target || volume.wholeDisk() == target))
                any = volume.mounted = true;
        }
        publishLocked();
        return any ? FakeProcessRunner::exited(0) : FakeProcessRunner::exited(1, {}, "Unable to find disk\n");
    }

    Volume* findLocked(const std::string& target) {
        for (auto& [name, volume] : m_volumes)
            if (volume.path() == target || volume.name == target || volume.device == target)
                return &volume;
        return nullptr;
    }

    void publishLocked() {
        std::vector<std::string> mounted{"/", "/System/Volumes/Data"};
        for (const auto& [name, volume] : m_volumes) {
            if (volume.mounted) {
                mounted.push_back(volume.path());
                m_fileSystem.addDirectory(volume.path());
            } else {
                m_fileSystem.remove(volume.path());
            }
        }
        m_fileSystem.setMountedVolumePaths(mounted);
    }

    Runtime& m_runtime;
    FakeFileSystem& m_fileSystem;
    std::mutex m_mutex;
    std::map<std::string, Volume> m_volumes;
    int m_nextDisk = 4;
};

} // namespace tallowmere::test
