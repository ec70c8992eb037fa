#pragma once

#include "disks/ExternalDiskManager.h"
#include "platform/PropertyList.h"
#include "support/FakeDiskArbitration.h"
#include "support/FakeFileSystem.h"
#include "support/FakeProcessRunner.h"
#include "support/FakeSystemTools.h"
#include "support/FakeWorkspace.h"
#include "support/LogCapture.h"
#include "support/MemoryPreferenceStore.h"
#include "support/VirtualRuntime.h"

#include <gtest/gtest.h>

namespace tallowmere::test {

using namespace std::chrono_literals;
using Args = std::vector<std::string>;
inline const std::vector<DiskType> allKinds(allDiskTypes.begin(), allDiskTypes.end());

inline ProcessResult plistResult(const PropertyDictionary& dictionary) {
    return FakeProcessRunner::exited(0, PropertyList::toXml(PropertyValue(dictionary)));
}
// `diskutil info -plist` of a mounted USB disk.
inline PropertyDictionary usbInfo(const std::string& name, const std::string& identifier) {
    return {{"DeviceIdentifier", identifier},
            {"VolumeName", name},
            {"MountPoint", "/Volumes/" + name},
            {"Internal", false},
            {"Ejectable", true}};
}
inline bool isDiskutil(const ProcessRequest& request, const char* verb) {
    return request.executable == "/usr/sbin/diskutil" && !request.arguments.empty() && request.arguments[0] == verb;
}

// A disk manager on fakes of every port, on virtual time. The runtime is destroyed before the fakes so that
// background work still running at the end of a test finishes against live fakes.
class DiskManagerTest : public ::testing::Test {
protected:
    void scriptInfo(const std::string& target, const PropertyDictionary& info) {
        processes.on({"info", "-plist", target}, plistResult(info));
    }
    void onCall(Args arguments, FakeProcessRunner::Responder respond) {
        processes.when([arguments](const ProcessRequest& r) { return r.arguments == arguments; }, std::move(respond));
    }
    void failInfo(const std::string& target) {
        processes.on({"info", "-plist", target}, FakeProcessRunner::exited(1, {}, "Could not find disk\n"));
    }
    // Mounts a USB volume: listed, present under /Volumes/, and known to diskutil by its path.
    std::string addUsbVolume(const std::string& name, const std::string& identifier) {
        const std::string path = "/Volumes/" + name;
        auto mounted = *fileSystem.mountedVolumePaths();
        mounted.push_back(path);
        fileSystem.setMountedVolumePaths(mounted);
        fileSystem.addDirectory(path);
        scriptInfo(path, usbInfo(name, identifier));
        return path;
    }
    // What diskutil says once the volume is offline: unknown by name, no mount point by identifier.
    void scriptOffline(const std::string& name, const std::string& identifier) {
        failInfo(name);
        if (!identifier.empty())
            scriptInfo(identifier, {{"DeviceIdentifier", identifier}, {"MountPoint", ""}});
    }

    MemoryPreferenceStore preferences;
    FakeProcessRunner processes;
    FakeFileSystem fileSystem;
    FakeSystemTools tools;
    FakeWorkspace workspace;
    FakeDiskArbitration diskArbitration;
    LogCapture log;
    VirtualRuntime runtime;
    // For the parts of the manager on their own.
    DiskServices services{runtime, preferences, processes, fileSystem, tools, workspace, diskArbitration};
    std::shared_ptr<ExternalDiskManager> manager = ExternalDiskManager::create(services);
};

} // namespace tallowmere::test
