#include "DiskManagerFixture.h"

#include <algorithm>

using namespace tallowmere;
using namespace tallowmere::test;

namespace {

constexpr auto hard = DiskType::hardDisksAndSSDs;
constexpr auto optical = DiskType::dvdsAndCDs;
constexpr auto image = DiskType::diskImages;
constexpr auto card = DiskType::sdCards;

TEST(DiskTypes, LastPathComponentAndWholeDisk) {
    EXPECT_EQ(lastPathComponent("/Volumes/Backup/"), "Backup");
    EXPECT_EQ(lastPathComponent("/"), "/");
    EXPECT_EQ(wholeDiskIdentifier("disk12"), "disk12");
    for (const char* notADevice : {"unknown", "", "rdisk4s2", "disks"})
        EXPECT_FALSE(wholeDiskIdentifier(notADevice)) << notADevice;
}

TEST_F(DiskManagerTest, ClassificationRulesInTheirOrder) {
    const PropertyDictionary ejectable{{"Ejectable", true}, {"MountPoint", "/Volumes/V"}};
    auto with = [](PropertyDictionary base, const PropertyDictionary& extra) {
        for (const auto& [key, value] : extra)
            base.insert_or_assign(key, value);
        return base;
    };
    const struct {
        const char* what;
        PropertyDictionary info;
        VolumeClassification expected;
        std::string path = "/Volumes/V";
    } cases[] = {
        {"internal fixed disk", with(ejectable, {{"Internal", true}, {"RemovableMedia", false}}), {}},
        {"built-in reader with a Secure Digital bus",
         with(ejectable, {{"Internal", true}, {"RemovableMedia", true}, {"BusProtocol", "Secure Digital"}}),
         {true, card}},
        {"built-in reader named SD Card",
         {{"Internal", true}, {"RemovableMedia", true}, {"MediaName", "APPLE SD Card Reader"}},
         {true, card}},
        {"internal removable that is no card",
         with(ejectable, {{"Internal", true}, {"RemovableMedia", true}, {"MediaName", "Built In SDXC Reader"}}),
         {}},
        {"external removable SDXC, not ejectable",
         {{"RemovableMedia", true}, {"MediaName", "SDXC Card"}},
         {true, card}},
        {"removable without a card hint", {{"RemovableMedia", true}, {"BusProtocol", "USB"}}, {}},
        {"card hint on a fixed disk is ignored", {{"MediaName", "SD Card"}}, {}},
        {"developer image by path", {}, {true, image}, "/Volumes/CoreSimulator Runtime"},
        {"Apple Disk Image, not ejectable", {{"MediaName", "Apple Disk Image"}, {"Ejectable", false}}, {true, image}},
        {"disk image test is case-sensitive", {{"MediaName", "apple disk image"}}, {}},
        {"parent whole disk is an image",
         {{"ParentWholeDisk", PropertyDictionary{{"MediaName", "Apple Disk Image"}}}},
         {true, image}},
        {"file system name must match exactly", {{"FileSystemName", "smbfs2"}}, {}},
        {"optical by media type replaces network",
         {{"FileSystemName", "nfs"}, {"MediaType", "BD-ROM"}},
         {true, optical}},
        {"optical by media name replaces disk image", {{"MediaName", "Apple Disk Image DVD"}}, {true, optical}},
        {"ejectable without a kind is a disk", ejectable, {true, hard}},
        {"ejectable mounted at /", {{"Ejectable", true}, {"MountPoint", "/"}}, {}},
        {"ejectable without a mount point", {{"Ejectable", true}}, {}},
        {"wrong value types count as absent",
         {{"Ejectable", "true"},
          {"MountPoint", std::int64_t(1)},
          {"Internal", "false"},
          {"RemovableMedia", 1},
          {"MediaName", std::int64_t(3)},
          {"MediaType", PropertyArray{"DVD"}}},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        scriptInfo(c.path, c.info);
        EXPECT_EQ(manager->classifyVolume(c.path), c.expected);
    }
}

// What diskutil's output itself may be is the parser's (PropertyListTest); here, an answer that did not succeed.
TEST_F(DiskManagerTest, StartupAndSystemVolumesAndFailedDiskutilRunsAreExcluded) {
    for (const char* path : {"/Volumes/Macintosh HD", "/Volumes/Macintosh HD - Data", "/", "/System/Volumes/Data"}) {
        scriptInfo(path, usbInfo("X", "disk9s1"));
        EXPECT_EQ(manager->classifyVolume(path), VolumeClassification{}) << path;
    }
    EXPECT_TRUE(processes.calls().empty());

    // A failed run leaves the volume unclassified and without an identifier, as does an identifier that is no text.
    const VolumeDiscovery discovery(services);
    const std::string plist = PropertyList::toXml(PropertyValue(usbInfo("V", "disk4s1")));
    for (const ProcessResult& answer : {FakeProcessRunner::notStarted("launch path not accessible"),
                                        FakeProcessRunner::timedOut(), FakeProcessRunner::exited(1, plist)}) {
        processes.on({"info", "-plist", "/Volumes/V"}, answer);
        EXPECT_EQ(manager->classifyVolume("/Volumes/V"), VolumeClassification{}) << answer.exitStatus;
        EXPECT_FALSE(discovery.resolveDeviceIdentifier("/Volumes/V")) << answer.exitStatus;
    }
    EXPECT_TRUE(log.contains("Error getting disk identifier: launch path not accessible"));
    scriptInfo("/Volumes/V", {{"DeviceIdentifier", std::int64_t(4)}});
    EXPECT_FALSE(discovery.resolveDeviceIdentifier("/Volumes/V"));
}

TEST_F(DiskManagerTest, EnumerationAsksDiskutilOnlyAboutVolumesUnderVolumes) {
    addUsbVolume("USB Stick", "disk4s1");
    failInfo("/Volumes/Broken");
    fileSystem.setMountedVolumePaths(std::vector<std::string>{"/", "/System/Volumes/Data", "/private/var/vm",
                                                              "/Volumes/Macintosh HD", "/Volumes/USB Stick",
                                                              "/Volumes/Broken"});
    EXPECT_EQ(manager->externalVolumeURLs(allKinds), std::vector<std::string>{"/Volumes/USB Stick"});
    EXPECT_TRUE(manager->externalVolumeURLs({}).empty());
    for (const ProcessRequest& call : processes.calls()) {
        EXPECT_EQ(call.arguments, (Args{"info", "-plist", call.arguments[2]}));
        EXPECT_TRUE(call.captureStandardOutput && !call.captureStandardError);
        EXPECT_EQ(call.timeLimit, queryTimeLimit);
    }
    EXPECT_EQ(processes.calls().size(), 4u);
    fileSystem.setMountedVolumePaths(std::nullopt);
    EXPECT_TRUE(manager->externalVolumeURLs(allKinds).empty());
}

TEST_F(DiskManagerTest, EnumerationClassifiesAllVolumesAtTheSameTime) {
    constexpr int volumes = 4;
    auto allInFlight = runtime.makeGroup();
    for (int i = 0; i < volumes; ++i) {
        addUsbVolume("V" + std::to_string(i), "disk" + std::to_string(i + 4) + "s1");
        allInFlight->enter();
    }
    std::atomic<int> overlapped = 0;
    processes.when([](const ProcessRequest& r) { return isDiskutil(r, "info"); },
                   [&](const ProcessRequest& r) {
                       allInFlight->leave();
                       // Serial classification would leave the others unstarted and this wait would time out.
                       if (allInFlight->wait(Seconds(5)))
                           ++overlapped;
                       return plistResult(usbInfo(lastPathComponent(r.arguments[2]), "disk9s1"));
                   });
    EXPECT_EQ(manager->externalVolumeURLs(allKinds).size(), std::size_t(volumes));
    EXPECT_EQ(overlapped, volumes);
    EXPECT_LT(runtime.elapsed(), Seconds(1));
}

} // namespace
