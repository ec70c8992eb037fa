#include "SimTestSupport.h"

#include "platform/PropertyList.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <thread>

using namespace tallowmere;
using test::MacsimRun;
using test::TemporaryMachine;

namespace {

std::string text(const PropertyDictionary& dictionary, const char* key) {
    const auto* value = findAs<std::string>(dictionary, key);
    return value ? *value : "<absent>";
}

class MacsimToolsTest : public ::testing::Test {
protected:
    TemporaryMachine sim;
    std::string tool(const char* name) const { return sim.folder() + "/bin/" + name; }
    std::string add(const std::vector<std::string>& arguments) {
        std::vector<std::string> command = {"volume", "add"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        MacsimRun run = sim.run(command);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return run.out.empty() ? "" : run.out.substr(0, run.out.size() - 1);
    }
    PropertyDictionary info(const std::string& target) {
        MacsimRun plist = sim.run({"info", "-plist", target}, {}, tool("diskutil"));
        EXPECT_EQ(plist.exitCode, 0) << target << ": " << plist.err;
        auto parsed = PropertyList::parseDictionary(plist.out);
        EXPECT_TRUE(parsed) << plist.out;
        return parsed.value_or(PropertyDictionary{});
    }
};

TEST_F(MacsimToolsTest, DiskutilOutputParsesWithThePropertyListReader) {
    const char* kinds[] = {"usb", "ssd", "sd-internal", "sd-usb", "dmg", "network", "optical"};
    for (const char* kind : kinds)
        EXPECT_FALSE(add({std::string("Vol ") + kind, "--kind", kind}).empty());
    for (const char* kind : kinds) {
        PropertyDictionary volume = info(std::string("/Volumes/Vol ") + kind);
        EXPECT_EQ(text(volume, "VolumeName"), std::string("Vol ") + kind);
        EXPECT_EQ(text(volume, "MountPoint"), std::string("/Volumes/Vol ") + kind);
        for (const char* key : {"DeviceIdentifier", "MediaName", "BusProtocol", "FileSystemName"})
            EXPECT_TRUE(findAs<std::string>(volume, key)) << kind << " " << key;
        for (const char* key : {"RemovableMedia", "Ejectable"})
            EXPECT_TRUE(findAs<bool>(volume, key)) << kind << " " << key;
    }
    EXPECT_EQ(text(info("/"), "DeviceIdentifier"), "disk3s1s1");
    EXPECT_EQ(text(info("disk4s1"), "VolumeName"), "Vol usb");
    EXPECT_TRUE(findAs<bool>(info("disk4"), "WholeDisk") && *findAs<bool>(info("disk4"), "WholeDisk"));

    // The list: one dictionary per whole disk, volumes under "Partitions" with their mount points.
    MacsimRun list = sim.run({"list", "-plist"}, {}, tool("diskutil"));
    ASSERT_EQ(list.exitCode, 0);
    auto parsed = PropertyList::parseDictionary(list.out);
    ASSERT_TRUE(parsed);
    const auto* disks = findAs<PropertyArray>(*parsed, "AllDisksAndPartitions");
    ASSERT_TRUE(disks);
    ASSERT_EQ(disks->size(), 8u);
    const auto& usb = *(*disks)[1].as<PropertyDictionary>();
    EXPECT_EQ(text(usb, "DeviceIdentifier"), "disk4");
    const auto& partition = *(*findAs<PropertyArray>(usb, "Partitions"))[0].as<PropertyDictionary>();
    EXPECT_EQ(text(partition, "DeviceIdentifier"), "disk4s1");
    EXPECT_EQ(text(partition, "VolumeName"), "Vol usb");
    EXPECT_EQ(text(partition, "MountPoint"), "/Volumes/Vol usb");

    MacsimRun human = sim.run({"list"}, {}, tool("diskutil"));
    EXPECT_EQ(human.exitCode, 0);
    EXPECT_NE(human.out.find("/dev/disk4 (external, physical):"), std::string::npos);

    MacsimRun unknown = sim.run({"info", "-plist", "/Volumes/Nothing"}, {}, tool("diskutil"));
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_FALSE(unknown.err.empty());
    EXPECT_TRUE(unknown.out.empty());
    // `macsim diskutil …` is the same tool.
    EXPECT_EQ(sim.run({"diskutil", "info", "-plist", "disk4s1"}).out,
              sim.run({"info", "-plist", "disk4s1"}, {}, tool("diskutil")).out);
}

TEST_F(MacsimToolsTest, UnmountMountAndBusyRefusalsThroughDiskutil) {
    add({"Backup", "--busy"});
    const std::string folder = sim.folder() + "/Volumes/Backup";
    MacsimRun refused = sim.run({"unmount", "/Volumes/Backup"}, {}, tool("diskutil"));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_FALSE(refused.err.empty());
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(folder)));

    MacsimRun forced = sim.run({"unmount", "force", "/Volumes/Backup"}, {}, tool("diskutil"));
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(folder)));
    EXPECT_EQ(text(info("Backup"), "MountPoint"), "");
    EXPECT_EQ(sim.run({"volume", "list"}).out, "disk4s1\tBackup\tunmounted\tusb\n");

    EXPECT_EQ(sim.run({"mount", "disk4s1"}, {}, tool("diskutil")).exitCode, 0);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(folder)));
    EXPECT_EQ(sim.run({"unmount", "force", "disk4s1"}, {}, tool("diskutil")).exitCode, 0);
    EXPECT_EQ(sim.run({"mountDisk", "disk4"}, {}, tool("diskutil")).exitCode, 0);
    EXPECT_EQ(text(info("disk4s1"), "MountPoint"), "/Volumes/Backup");

    EXPECT_EQ(sim.run({"volume", "busy", "Backup", "off"}).exitCode, 0);
    EXPECT_EQ(sim.run({"unmount", "Backup"}, {}, tool("diskutil")).exitCode, 0);

    // An ejected or removed disk cannot be mounted again.
    add({"Gone"});
    ASSERT_TRUE(sim.machine().eject("/Volumes/Gone").ok);
    EXPECT_EQ(sim.run({"volume", "list"}).out, "disk4s1\tBackup\tunmounted\tusb\ndisk5s1\tGone\tejected\tusb\n");
    EXPECT_EQ(sim.run({"mount", "disk5s1"}, {}, tool("diskutil")).exitCode, 1);
    EXPECT_EQ(sim.run({"mountDisk", "disk5"}, {}, tool("diskutil")).exitCode, 1);
    EXPECT_EQ(sim.run({"volume", "remove", "Backup"}).exitCode, 0);
    EXPECT_EQ(sim.run({"mount", "disk4s1"}, {}, tool("diskutil")).exitCode, 1);
}

TEST_F(MacsimToolsTest, TimeMachineStatusAndStop) {
    add({"Time Capsule"});
    MacsimRun idle = sim.run({"status"}, {}, tool("tmutil"));
    EXPECT_EQ(idle.exitCode, 0);
    EXPECT_NE(idle.out.find("Running = 0;"), std::string::npos);
    ASSERT_EQ(sim.run({"tm", "start", "Time Capsule"}).exitCode, 0);
    MacsimRun running = sim.run({"status"}, {}, tool("tmutil"));
    EXPECT_NE(running.out.find("Backup session status:"), std::string::npos);
    EXPECT_NE(running.out.find("Running = 1;"), std::string::npos);
    EXPECT_NE(running.out.find("DestinationMountPoint = \"/Volumes/Time Capsule\";"), std::string::npos);
    EXPECT_EQ(sim.run({"unmount", "/Volumes/Time Capsule"}, {}, tool("diskutil")).exitCode, 1)
        << "the backup holds the volume";
    EXPECT_EQ(sim.run({"stopbackup"}, {}, tool("tmutil")).exitCode, 0);
    EXPECT_NE(sim.run({"status"}, {}, tool("tmutil")).out.find("Running = 0;"), std::string::npos);
    EXPECT_EQ(sim.run({"unmount", "/Volumes/Time Capsule"}, {}, tool("diskutil")).exitCode, 0);
}

TEST_F(MacsimToolsTest, PmsetSleepnowReturnsAtOnceAndTheMachineSleeps) {
    MacsimRun run = sim.run({"sleepnow"}, {}, tool("pmset"));
    EXPECT_EQ(run.exitCode, 0);
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
    std::vector<std::string> listed = test::lines(sim.run({"volume", "list"}).out);
    EXPECT_EQ(listed.size(), 100u);
    std::set<std::string> devices;
    for (const std::string& line : listed)
        devices.insert(line.substr(0, line.find('\t')));
    EXPECT_EQ(devices.size(), 100u);
    EXPECT_EQ(
        QDir(QString::fromStdString(sim.folder() + "/Volumes")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(),
        100);
}

TEST_F(MacsimToolsTest, OddVolumeNamesWorkEndToEnd) {
    const std::vector<std::string> names = {"My Passport", "it's \"quoted\"", "-leading-dash",  "--double dash",
                                            "new\nline",   "tab\there",       "Ünïcødé 写真 📷", "back\\slash"};
    for (const std::string& name : names) {
        // After "--" even a name that looks like an option is a name.
        std::string device = name.rfind("--", 0) == 0 ? add({"--", name}) : add({name});
        ASSERT_FALSE(device.empty()) << name;
        const std::string path = "/Volumes/" + name;
        EXPECT_EQ(text(info(path), "VolumeName"), name);
        EXPECT_EQ(text(info(name), "DeviceIdentifier"), device);
        EXPECT_EQ(sim.run({"unmount", path}, {}, tool("diskutil")).exitCode, 0) << name;
        EXPECT_EQ(sim.run({"mount", name}, {}, tool("diskutil")).exitCode, 0) << name;
        EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(sim.folder() + path))) << name;
    }
    // The listing keeps one line per volume; what would break a line or a field is escaped.
    std::vector<std::string> listed = test::lines(sim.run({"volume", "list"}).out);
    ASSERT_EQ(listed.size(), names.size());
    EXPECT_EQ(listed[4], "disk8s1\tnew\\nline\tmounted\tusb");
    EXPECT_EQ(listed[5], "disk9s1\ttab\\there\tmounted\tusb");
    EXPECT_EQ(listed[6], "disk10s1\tÜnïcødé 写真 📷\tmounted\tusb");
    EXPECT_EQ(listed[7], "disk11s1\tback\\\\slash\tmounted\tusb");
    EXPECT_EQ(test::lines(sim.run({"list"}, {}, tool("diskutil")).out).size(), 6u + 5u * names.size());
    EXPECT_EQ(sim.run({"volume", "remove", "-leading-dash"}).exitCode, 0);

    MacsimRun refused = sim.run({"volume", "add", "a/b"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("cannot contain"), std::string::npos);
    EXPECT_EQ(sim.run({"volume", "add", "--unknown-option"}).exitCode, 2);
}

} // namespace
