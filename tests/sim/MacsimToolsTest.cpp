#include "SimTestSupport.h"

#include "platform/PropertyList.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <set>
#include <thread>

using namespace tallowmere;
using test::MacsimRun;

namespace {

std::string text(const PropertyDictionary& dictionary, const char* key) {
    const auto* value = findAs<std::string>(dictionary, key);
    return value ? *value : "<absent>";
}

// The stand-in tools run through their links in the machine's bin folder, as the application runs them.
class MacsimToolsTest : public ::testing::Test {
protected:
    test::TemporaryMachine sim;
    MacsimRun tool(const char* name, const std::vector<std::string>& arguments) const {
        return sim.run(arguments, {}, sim.folder() + "/bin/" + name);
    }
    void add(const std::vector<std::string>& arguments) {
        std::vector<std::string> command = {"volume", "add"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        MacsimRun run = sim.run(command);
        EXPECT_EQ(run.exitCode, 0) << run.err;
    }
    PropertyDictionary info(const std::string& target) {
        MacsimRun plist = tool("diskutil", {"info", "-plist", target});
        EXPECT_EQ(plist.exitCode, 0) << target << ": " << plist.err;
        auto parsed = PropertyList::parseDictionary(plist.out);
        EXPECT_TRUE(parsed) << plist.out;
        return parsed.value_or(PropertyDictionary{});
    }
    bool mounted(const std::string& name) const {
        return QFileInfo::exists(QString::fromStdString(sim.folder() + "/Volumes/" + name));
    }
};

TEST_F(MacsimToolsTest, DiskutilOutputParsesWithThePropertyListReader) {
    const char* kinds[] = {"usb", "ssd", "sd-internal", "sd-usb", "dmg", "network", "optical"};
    for (const char* kind : kinds)
        add({std::string("Vol ") + kind, "--kind", kind});
    for (const char* kind : kinds) {
        PropertyDictionary volume = info(std::string("/Volumes/Vol ") + kind);
        EXPECT_EQ(text(volume, "VolumeName"), std::string("Vol ") + kind);
        EXPECT_EQ(text(volume, "MountPoint"), std::string("/Volumes/Vol ") + kind);
        for (const char* key : {"DeviceIdentifier", "MediaName", "BusProtocol", "FileSystemName"})
            EXPECT_TRUE(findAs<std::string>(volume, key)) << kind << " " << key;
        for (const char* key : {"RemovableMedia", "Ejectable"})
            EXPECT_TRUE(findAs<bool>(volume, key)) << kind << " " << key;
    }
    EXPECT_EQ(text(info("disk4s1"), "VolumeName"), "Vol usb");
    EXPECT_EQ(text(*findAs<PropertyDictionary>(info("Vol dmg"), "ParentWholeDisk"), "MediaName"), "Apple Disk Image");

    // The list: one dictionary per whole disk, volumes under "Partitions" with their mount points.
    auto list = PropertyList::parseDictionary(tool("diskutil", {"list", "-plist"}).out);
    ASSERT_TRUE(list);
    const auto* disks = findAs<PropertyArray>(*list, "AllDisksAndPartitions");
    ASSERT_TRUE(disks);
    ASSERT_EQ(disks->size(), 8u);
    const auto& usb = *(*disks)[1].as<PropertyDictionary>();
    EXPECT_EQ(text(usb, "DeviceIdentifier"), "disk4");
    const auto& partition = *(*findAs<PropertyArray>(usb, "Partitions"))[0].as<PropertyDictionary>();
    EXPECT_EQ(text(partition, "DeviceIdentifier"), "disk4s1");
    EXPECT_EQ(text(partition, "VolumeName"), "Vol usb");
    EXPECT_EQ(text(partition, "MountPoint"), "/Volumes/Vol usb");

    MacsimRun human = tool("diskutil", {"list"});
    EXPECT_EQ(human.exitCode, 0);
    EXPECT_NE(human.out.find("/dev/disk4 (external, physical):"), std::string::npos);

    MacsimRun unknown = tool("diskutil", {"info", "-plist", "/Volumes/Nothing"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_FALSE(unknown.err.empty());
    EXPECT_TRUE(unknown.out.empty());
    // `macsim diskutil …` is the same tool.
    EXPECT_EQ(sim.run({"diskutil", "info", "-plist", "disk4s1"}).out,
              tool("diskutil", {"info", "-plist", "disk4s1"}).out);
}

TEST_F(MacsimToolsTest, UnmountMountAndBusyRefusalsThroughDiskutil) {
    add({"Backup", "--busy"});
    MacsimRun refused = tool("diskutil", {"unmount", "/Volumes/Backup"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_FALSE(refused.err.empty());
    EXPECT_TRUE(mounted("Backup"));

    EXPECT_EQ(tool("diskutil", {"unmount", "force", "/Volumes/Backup"}).exitCode, 0);
    EXPECT_FALSE(mounted("Backup"));
    EXPECT_EQ(sim.run({"volume", "list"}).out, "disk4s1\tBackup\tunmounted\tusb\n");
    EXPECT_EQ(tool("diskutil", {"mountDisk", "disk4"}).exitCode, 0);
    EXPECT_TRUE(mounted("Backup"));
    EXPECT_EQ(sim.run({"volume", "busy", "Backup", "off"}).exitCode, 0);
    EXPECT_EQ(tool("diskutil", {"unmount", "Backup"}).exitCode, 0);
    EXPECT_EQ(tool("diskutil", {"mount", "disk4s1"}).exitCode, 0);

    ASSERT_TRUE(sim.machine().eject("/Volumes/Backup").ok);
    EXPECT_EQ(sim.run({"volume", "list"}).out, "disk4s1\tBackup\tejected\tusb\n");
    EXPECT_EQ(tool("diskutil", {"mount", "disk4s1"}).exitCode, 1);
}

TEST_F(MacsimToolsTest, TimeMachineHoldsItsVolumeUntilStoppedAndPmsetSleeps) {
    add({"Time Capsule"});
    EXPECT_NE(tool("tmutil", {"status"}).out.find("Running = 0;"), std::string::npos);
    ASSERT_EQ(sim.run({"tm", "start", "Time Capsule"}).exitCode, 0);
    MacsimRun running = tool("tmutil", {"status"});
    EXPECT_NE(running.out.find("Backup session status:"), std::string::npos);
    EXPECT_NE(running.out.find("Running = 1;"), std::string::npos);
    EXPECT_NE(running.out.find("DestinationMountPoint = \"/Volumes/Time Capsule\";"), std::string::npos);
    EXPECT_EQ(tool("diskutil", {"unmount", "/Volumes/Time Capsule"}).exitCode, 1) << "the backup holds the volume";
    EXPECT_FALSE(sim.machine().eject("/Volumes/Time Capsule").ok);
    EXPECT_EQ(tool("tmutil", {"stopbackup"}).exitCode, 0);
    EXPECT_NE(tool("tmutil", {"status"}).out.find("Running = 0;"), std::string::npos);
    EXPECT_EQ(tool("diskutil", {"unmount", "/Volumes/Time Capsule"}).exitCode, 0);
    EXPECT_EQ(sim.run({"tm", "start", "Time Capsule"}).exitCode, 1) << "only a mounted volume can be a destination";

    EXPECT_EQ(tool("pmset", {"sleepnow"}).exitCode, 0);
    EXPECT_TRUE(test::waitUntil([&] { return !sim.machine().state().awake; }));
}

TEST_F(MacsimToolsTest, TwoProcessesAddingFiftyVolumesEachLeaveExactlyOneHundred) {
    auto writer = [&](const std::string& prefix) {
        for (int i = 0; i < 50; ++i)
            EXPECT_EQ(sim.run({"volume", "add", prefix + std::to_string(i)}).exitCode, 0);
    };
    std::thread first(writer, "left ");
    std::thread second(writer, "right ");
    first.join();
    second.join();
    std::set<std::string> devices;
    for (const std::string& line : test::lines(sim.run({"volume", "list"}).out))
        devices.insert(line.substr(0, line.find('\t')));
    EXPECT_EQ(devices.size(), 100u);
    EXPECT_EQ(
        QDir(QString::fromStdString(sim.folder() + "/Volumes")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(),
        100);
}

} // namespace
