#include "DiskManagerFixture.h"

#include <gmock/gmock.h>

#include <mutex>

using namespace tallowmere;
using namespace tallowmere::test;
using ::testing::ElementsAre;

namespace {

struct Partition {
    std::string identifier;
    std::string name;
    std::string mountPoint;
};

// `diskutil list -plist` with one whole disk per entry.
ProcessResult diskList(const std::vector<std::pair<std::string, std::vector<Partition>>>& disks) {
    PropertyArray all;
    for (const auto& [whole, partitions] : disks) {
        PropertyArray entries;
        for (const Partition& partition : partitions) {
            PropertyDictionary entry{{"DeviceIdentifier", partition.identifier}, {"VolumeName", partition.name}};
            if (!partition.mountPoint.empty())
                entry.emplace("MountPoint", partition.mountPoint);
            entries.emplace_back(std::move(entry));
        }
        all.emplace_back(PropertyDictionary{{"DeviceIdentifier", whole}, {"Partitions", std::move(entries)}});
    }
    return plistResult({{"AllDisksAndPartitions", std::move(all)}});
}

struct Completion {
    int calls = 0;
    std::vector<std::string> urls;
    Seconds at{-1};
};

class RemountTest : public DiskManagerTest {
protected:
    void remount(Completion& completion, int maxRetries = 5) {
        manager->remountLastEjectedDisks(maxRetries, 0, [this, &completion](std::vector<std::string> urls) {
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

TEST_F(RemountTest, LocateVolumeReadsOnlyWellFormedEntries) {
    using Lookup = std::pair<std::optional<std::string>, bool>;
    auto answer = [this](PropertyValue all) {
        PropertyDictionary list;
        list.emplace("AllDisksAndPartitions", std::move(all));
        processes.on({"list", "-plist"}, plistResult(list));
        return manager->locateVolume("Vol");
    };
    const Lookup none{std::nullopt, false};
    EXPECT_EQ(answer(PropertyDictionary{}), none);
    EXPECT_EQ(answer(PropertyArray{PropertyDictionary{{"VolumeName", "Vol"}, {"DeviceIdentifier", "disk4"}}, "x"}),
              none);
    // A whole disk that is itself the volume, mounted at an empty mount point: found, not mounted.
    EXPECT_EQ(answer(PropertyArray{
                  PropertyDictionary{{"VolumeName", "Vol"}, {"DeviceIdentifier", "disk4"}, {"MountPoint", ""}}}),
              (Lookup{"disk4", false}));
    // An entry without a text identifier is passed over for its partitions.
    PropertyArray partitions{
        PropertyDictionary{{"VolumeName", "Vol"}, {"DeviceIdentifier", "disk5s2"}, {"MountPoint", "/Volumes/Vol"}}};
    EXPECT_EQ(answer(PropertyArray{
                  PropertyDictionary{{"VolumeName", "Vol"}, {"DeviceIdentifier", 5}, {"Partitions", partitions}}}),
              (Lookup{"disk5s2", true}));
    partitions.push_back("not a partition");
    EXPECT_EQ(answer(PropertyArray{PropertyDictionary{{"Partitions", partitions}}}), none);
}

TEST_F(RemountTest, AnUnknownIdentifierIsNeverUsedAndTheCurrentWholeDiskIsTried) {
    manager->setLastEjectedDisks({{"/Volumes/Cam", "unknown", "Cam"}});
    processes.on({"list", "-plist"}, diskList({{"disk5", {{"disk5s1", "Cam", ""}}}}));
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
    processes.on({"list", "-plist"}, diskList({{"disk4", {{"disk4s3", "Data", ""}}}}));
    Completion sameDisk;
    remount(sameDisk, 0);
    runtime.advance(11s);
    EXPECT_EQ(sameDisk.calls, 0);
    runtime.advance(1s);
    EXPECT_EQ(sameDisk.calls, 1);
    EXPECT_TRUE(sameDisk.urls.empty());
    const std::vector<std::string> lines = log.lines();
    ASSERT_EQ(lines.size(), 13u); // three attempts in each of four rounds
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 9, lines.end()),
              (Args{"ERROR: Failed to run diskutil mount for Data (volumeName attempt 4): denied",
                    "ERROR: Failed to run diskutil mount for Data (deviceIdentifier attempt 4): denied",
                    "ERROR: Failed to run diskutil mountDisk for Data (wholeDisk attempt 4): denied",
                    "ERROR: Could not remount Data; giving up"}));

    // Found on another whole disk: that one is tried too, before the stored identifiers.
    log.clear();
    processes.clearCalls();
    manager->setLastEjectedDisks({{"/Volumes/Data", "disk4s2", "Data"}});
    processes.on({"list", "-plist"}, diskList({{"disk7", {{"disk7s1", "Data", ""}}}}));
    Completion otherDisk;
    remount(otherDisk, 0);
    runtime.advance(12s);
    EXPECT_EQ(otherDisk.calls, 1);
    EXPECT_EQ(log.lines().size(), 17u);
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
    EXPECT_FALSE(manager->isVolumeMounted("disk4s1", "disk5s1"));

    scriptInfo("disk4s1", info("Alpha", "disk4s1", false));
    scriptInfo("disk5s1", info("disk4s1", "disk5s1", true));
    fileSystem.addDirectory("/Volumes/disk4s1");
    processes.on({"mount", "disk5s1"}, FakeProcessRunner::exited(0));
    EXPECT_TRUE(manager->runDiskutilMount("mount", "disk5s1", "volumeName attempt 1",
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
    ASSERT_EQ(lookups.size(), 30u); // five lookups in each of six passes
    std::vector<double> passStarts;
    for (std::size_t i = 0; i < lookups.size(); i += 5)
        passStarts.push_back(lookups[i]);
    EXPECT_THAT(passStarts, ElementsAre(0, 14, 30, 48, 68, 90));
    EXPECT_THAT(std::vector<double>(lookups.begin(), lookups.begin() + 5), ElementsAre(0, 0, 2, 6, 12));
}

class RemountAcrossThePause : public RemountTest, public ::testing::WithParamInterface<bool> {};

// A volume back already counts without mounting, a later pass adds to the one completion, and a manager gone
// during the pause still completes it once with what it has.
TEST_P(RemountAcrossThePause, VolumesBackCountWithoutMountingAndTheCompletionComesOnce) {
    const bool managerGone = GetParam();
    manager->setLastEjectedDisks({{"/Volumes/A", "", "A"}, {"/Volumes/B", "", "B"}});
    onCall(Args{"list", "-plist"}, [this](const ProcessRequest&) {
        std::vector<Partition> partitions{{"disk4s1", "A", "/Volumes/A"}};
        if (runtime.elapsed() >= Seconds(14))
            partitions.push_back({"disk5s1", "B", "/Volumes/B"});
        return diskList({{"disk4", partitions}});
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
}

INSTANTIATE_TEST_SUITE_P(ManagerGone, RemountAcrossThePause, ::testing::Bool());

} // namespace
