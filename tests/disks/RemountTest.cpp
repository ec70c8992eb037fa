#include "DiskManagerFixture.h"

#include <gmock/gmock.h>

#include <mutex>
#include <tuple>

using namespace tallowmere;
using namespace tallowmere::test;
using ::testing::ElementsAre;

namespace {

// `diskutil list -plist` with each volume on a whole disk of its own.
ProcessResult diskList(const std::vector<std::tuple<std::string, std::string, bool>>& volumes) {
    PropertyArray disks;
    for (const auto& [identifier, name, mounted] : volumes) {
        PropertyDictionary volume{{"DeviceIdentifier", identifier}, {"VolumeName", name}};
        if (mounted)
            volume.emplace("MountPoint", "/Volumes/" + name);
        disks.emplace_back(PropertyDictionary{{"DeviceIdentifier", *wholeDiskIdentifier(identifier)},
                                              {"Partitions", PropertyArray{volume}}});
    }
    return plistResult({{"AllDisksAndPartitions", disks}});
}

struct Completion {
    int calls = 0;
    std::vector<std::string> urls;
    Seconds at{-1};
};

class RemountTest : public DiskManagerTest {
protected:
    void remount(Completion& completion, int maxRetries = 5) {
        manager->remountLastEjectedDisks({maxRetries}, [this, &completion](std::vector<std::string> urls) {
            EXPECT_TRUE(runtime.isMainThread());
            ++completion.calls;
            completion.urls = std::move(urls);
            completion.at = runtime.elapsed();
        });
    }
    std::vector<std::string> mountCalls() {
        std::vector<std::string> calls;
        for (const ProcessRequest& call : processes.calls())
            if (isDiskutil(call, "mount") || isDiskutil(call, "mountDisk"))
                calls.push_back(call.arguments[0] + " " + call.arguments[1]);
        return calls;
    }
};

// The end-to-end tests read diskutil's real listing; here, what it does not write.
TEST_F(RemountTest, LocateVolumeLooksPastAnIdentifierThatIsNoTextAndRejectsAListOfAnythingButDisks) {
    using Lookup = VolumeRemounter::Location;
    const PropertyDictionary partition{{"VolumeName", "Vol"}, {"DeviceIdentifier", "disk5s2"}, {"MountPoint", ""}};
    PropertyArray disks{PropertyDictionary{
        {"VolumeName", "Vol"}, {"DeviceIdentifier", std::int64_t(5)}, {"Partitions", PropertyArray{partition}}}};
    for (const Lookup& expected : {Lookup{"disk5s2", false}, Lookup{std::nullopt, false}}) {
        processes.on({"list", "-plist"}, plistResult({{"AllDisksAndPartitions", disks}}));
        EXPECT_EQ(VolumeRemounter(services).locate("Vol"), expected);
        disks.push_back("not a disk");
    }
}

TEST_F(RemountTest, AnUnknownIdentifierIsNeverUsedAndTheCurrentWholeDiskIsTried) {
    manager->setLastEjectedDisks({{"/Volumes/Cam", "unknown", "Cam"}});
    processes.on({"list", "-plist"}, diskList({{"disk5s1", "Cam", false}}));
    processes.on({"mount", "disk5s1"}, FakeProcessRunner::exited(1, {}, "Mount failed\n"));
    onCall(Args{"mountDisk", "disk5"}, [this](const ProcessRequest&) {
        fileSystem.addDirectory("/Volumes/Cam");
        return FakeProcessRunner::exited(0);
    });
    scriptInfo("Cam", {{"MountPoint", "/Volumes/Cam"}});
    Completion completion;
    remount(completion);
    runtime.advance(1s);

    EXPECT_EQ(completion.urls, std::vector<std::string>{"/Volumes/Cam"});
    EXPECT_EQ(completion.at, Seconds(0.5));
    EXPECT_THAT(mountCalls(), ElementsAre("mount disk5s1", "mountDisk disk5"));
    EXPECT_EQ(processes.count([](const ProcessRequest& r) {
        return isDiskutil(r, "mount") && !r.captureStandardOutput && r.captureStandardError;
    }),
              1);
}

TEST_F(RemountTest, AttemptOrderAndLabels) {
    manager->setLastEjectedDisks({{"/Volumes/Data", "disk4s2", "Data"}});
    processes.when([](const ProcessRequest& r) { return isDiskutil(r, "mount") || isDiskutil(r, "mountDisk"); },
                   [](const ProcessRequest&) { return FakeProcessRunner::notStarted("denied"); });

    // Found again on the same whole disk: its own whole-disk attempt is left to the stored one.
    processes.on({"list", "-plist"}, diskList({{"disk4s3", "Data", false}}));
    Completion sameDisk;
    remount(sameDisk, 0);
    runtime.advance(11s);
    EXPECT_EQ(sameDisk.calls, 0);
    runtime.advance(1s);
    EXPECT_EQ(sameDisk.calls, 1);
    EXPECT_TRUE(sameDisk.urls.empty());
    const std::vector<std::string> lines = log.lines();
    ASSERT_EQ(lines.size(), 14u); // three attempts in each of four rounds, and the pass
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 9, lines.end()),
              (Args{"ERROR: Failed to run diskutil mount for Data (volumeName attempt 4): denied",
                    "ERROR: Failed to run diskutil mount for Data (deviceIdentifier attempt 4): denied",
                    "ERROR: Failed to run diskutil mountDisk for Data (wholeDisk attempt 4): denied",
                    "ERROR: Could not remount Data; giving up", "Remount pass 1 of 1: back: none; given up: Data"}));

    // Found on another whole disk: that one is tried too, before the stored identifiers.
    log.clear();
    processes.clearCalls();
    manager->setLastEjectedDisks({{"/Volumes/Data", "disk4s2", "Data"}});
    processes.on({"list", "-plist"}, diskList({{"disk7s1", "Data", false}}));
    Completion otherDisk;
    remount(otherDisk, 0);
    runtime.advance(12s);
    EXPECT_EQ(otherDisk.calls, 1);
    EXPECT_EQ(log.lines()[1],
              "ERROR: Failed to run diskutil mountDisk for Data (volumeName wholeDisk attempt 1): denied");
    const std::vector<std::string> calls = mountCalls();
    EXPECT_THAT(std::vector<std::string>(calls.begin(), calls.begin() + 4),
                ElementsAre("mount disk7s1", "mountDisk disk7", "mount disk4s2", "mountDisk disk4"));
}

TEST_F(RemountTest, AMountReportedAsDoneMustShowUpBeforeItCounts) {
    manager->setLastEjectedDisks({{"/Volumes/Slow", "disk4s2", "Slow"}});
    processes.on({"list", "-plist"}, diskList({}));
    processes.on({"mount", "disk4s2"}, FakeProcessRunner::exited(0)); // but nothing appears
    onCall(Args{"mountDisk", "disk4"}, [this](const ProcessRequest&) {
        fileSystem.addDirectory("/Volumes/Slow");
        return FakeProcessRunner::exited(0);
    });
    onCall(Args{"info", "-plist", "Slow"}, [looks = std::make_shared<std::atomic<int>>(0)](const ProcessRequest&) {
        const int look = (*looks)++;
        return look == 0 ? FakeProcessRunner::exited(1)
                         : plistResult({{"MountPoint", look == 1 ? "" : "/Volumes/Slow"}});
    });
    scriptInfo("disk4s2", {{"MountPoint", ""}});
    Completion completion;
    remount(completion);
    runtime.advance(3s);

    EXPECT_EQ(completion.urls, std::vector<std::string>{"/Volumes/Slow"});
    EXPECT_EQ(completion.at, Seconds(1.5)); // two verifications, the second with a second look
    EXPECT_THAT(processes.argumentLists(), ElementsAre(Args{"list", "-plist"}, Args{"list", "-plist"},
                                                       Args{"mount", "disk4s2"}, Args{"info", "-plist", "Slow"},
                                                       Args{"info", "-plist", "disk4s2"}, Args{"mountDisk", "disk4"},
                                                       Args{"info", "-plist", "Slow"}, Args{"info", "-plist", "Slow"}));
}

TEST_F(RemountTest, AVolumeNamedLikeAnotherDisksIdentifierIsNotTakenForThatDisk) {
    // diskutil reads the name "disk4s1" as Alpha's identifier; the volume of that name is disk5s1.
    auto info = [](const std::string& name, const std::string& identifier, bool mounted) {
        PropertyDictionary dictionary = usbInfo(name, identifier);
        dictionary["MountPoint"] = mounted ? "/Volumes/" + name : "";
        return dictionary;
    };
    scriptInfo("disk4s1", info("Alpha", "disk4s1", true));
    scriptInfo("disk5s1", info("disk4s1", "disk5s1", false));
    EXPECT_EQ(Diskutil(processes, tools).mountState("disk4s1", "disk5s1"), false);

    scriptInfo("disk4s1", info("Alpha", "disk4s1", false));
    scriptInfo("disk5s1", info("disk4s1", "disk5s1", true));
    fileSystem.addDirectory("/Volumes/disk4s1");
    processes.on({"mount", "disk5s1"}, FakeProcessRunner::exited(0));
    EXPECT_TRUE(VolumeRemounter(services).runMount("mount", "disk5s1", "volumeName attempt 1",
                                                   {"/Volumes/disk4s1", "disk5s1", "disk4s1"}));
}

TEST_F(RemountTest, PassesPauseTwoToTenSecondsAndGiveUpAfterSix) {
    const EjectedDiskInfo gone{"/Volumes/Gone", "", "Gone"};
    manager->setLastEjectedDisks({gone});
    std::mutex mutex;
    std::vector<double> lookups;
    onCall(Args{"list", "-plist"}, [&](const ProcessRequest&) {
        std::lock_guard lock(mutex);
        lookups.push_back(runtime.elapsed().count());
        return diskList({});
    });
    Completion completion;
    remount(completion);

    runtime.advance(12s);
    EXPECT_EQ(manager->lastEjectedDisks(), std::vector<EjectedDiskInfo>{gone});
    runtime.advance(300s);

    EXPECT_EQ(completion.calls, 1);
    EXPECT_TRUE(completion.urls.empty());
    EXPECT_EQ(completion.at, Seconds(102));
    EXPECT_TRUE(manager->lastEjectedDisks().empty());
    EXPECT_TRUE(log.contains("ERROR: Could not remount Gone; giving up"));
    EXPECT_TRUE(log.contains("Remount pass 5 of 6: back: none; still offline: Gone"));
    EXPECT_TRUE(log.contains("Remount pass 6 of 6: back: none; given up: Gone"));
    std::vector<double> expected; // five lookups in each of six passes
    for (double start : {0, 14, 30, 48, 68, 90})
        for (double offset : {0, 0, 2, 6, 12})
            expected.push_back(start + offset);
    EXPECT_EQ(lookups, expected);

    // A remount no longer wanted stops after its pass and leaves the volume on the list.
    manager->setLastEjectedDisks({gone});
    manager->remountLastEjectedDisks(RemountPolicy::persistent(), nullptr,
                                     {.passEnded = {}, .isWanted = [] { return false; }});
    runtime.advance(20s);
    EXPECT_TRUE(log.contains("Remount stopped after pass 1; still offline: Gone"));
    EXPECT_EQ(manager->lastEjectedDisks(), std::vector<EjectedDiskInfo>{gone});
}

class RemountAcrossThePause : public RemountTest, public ::testing::WithParamInterface<bool> {};

// A volume back already counts without mounting, a later pass adds to the one completion, and a manager gone
// during the pause still completes it once with what it has.
TEST_P(RemountAcrossThePause, VolumesBackCountWithoutMountingAndTheCompletionComesOnce) {
    const bool managerGone = GetParam();
    manager->setLastEjectedDisks({{"/Volumes/A", "", "A"}, {"/Volumes/B", "", "B"}});
    onCall(Args{"list", "-plist"}, [this](const ProcessRequest&) {
        std::vector<std::tuple<std::string, std::string, bool>> volumes{{"disk4s1", "A", true}};
        if (runtime.elapsed() >= Seconds(14))
            volumes.emplace_back("disk5s1", "B", true);
        return diskList(volumes);
    });
    Completion completion;
    remount(completion);
    runtime.advance(12s);
    EXPECT_EQ(manager->lastEjectedDisks(), (std::vector<EjectedDiskInfo>{{"/Volumes/B", "", "B"}}));
    if (managerGone)
        manager.reset();
    runtime.advance(100s);
    EXPECT_EQ(completion.calls, 1);
    EXPECT_EQ(completion.urls, (managerGone ? std::vector<std::string>{"/Volumes/A"}
                                            : std::vector<std::string>{"/Volumes/A", "/Volumes/B"}));
    EXPECT_EQ(completion.at, Seconds(14));
    EXPECT_TRUE(mountCalls().empty());
    EXPECT_TRUE(managerGone || manager->lastEjectedDisks().empty());
    EXPECT_TRUE(log.contains("Remount pass 1 of 6: back: A; still offline: B"));
    EXPECT_EQ(log.contains("Remount pass 2 of 6: back: B"), !managerGone);
}

INSTANTIATE_TEST_SUITE_P(ManagerGone, RemountAcrossThePause, ::testing::Bool());

} // namespace
