#include "Machine.h"
#include "ListingText.h"
#include "VolumeInfo.h"

#include "platform/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace macsim;
using tallowmere::PropertyDictionary;
using tallowmere::PropertyValue;

namespace {

bool exists(const std::string& path) {
    return QFileInfo::exists(QString::fromStdString(path));
}

class MachineTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    Machine machine{dir.path().toStdString() + "/machine", "/bin/true"};
    void SetUp() override { ASSERT_TRUE(machine.prepare()); }
    std::string volumePath(const std::string& name) const { return machine.volumesFolder() + "/" + name; }
};

TEST_F(MachineTest, FreshMachineIsTheDefaultMac) {
    MachineState state = machine.state();
    EXPECT_TRUE(state.awake);
    EXPECT_EQ(state.screens, 1);
    ASSERT_TRUE(state.battery);
    EXPECT_EQ(state.battery->currentCapacity, 100);
    EXPECT_FALSE(state.lowPowerMode);
    EXPECT_EQ(state.fullDiskAccess, FullDiskAccess::denied);
    EXPECT_EQ(state.notificationAuthorization, 0);
    EXPECT_TRUE(state.userAllowsNotifications);
    EXPECT_FALSE(state.loginItemRegistered);
    EXPECT_FALSE(state.timeMachineDevice);
    EXPECT_TRUE(state.volumes.empty());
    EXPECT_TRUE(exists(machine.protectedFolder()));
    EXPECT_TRUE(exists(machine.cachesFolder()));
    EXPECT_EQ(QFileInfo(QString::fromStdString(machine.binFolder() + "/diskutil")).symLinkTarget(), "/bin/true");

    // The startup disk is there, outside /Volumes.
    auto root = machine.diskInfo("/");
    ASSERT_TRUE(root);
    EXPECT_EQ(*tallowmere::findAs<std::string>(*root, "DeviceIdentifier"), "disk3s1s1");
    EXPECT_EQ(*tallowmere::findAs<std::string>(*root, "VolumeName"), "Macintosh HD");
    auto data = machine.diskInfo("/System/Volumes/Data");
    ASSERT_TRUE(data);
    EXPECT_EQ(*tallowmere::findAs<std::string>(*data, "DeviceIdentifier"), "disk3s5");
}

TEST_F(MachineTest, PrepareRestoresWhatIsMissingAndLeavesACompleteMachineAlone) {
    ASSERT_TRUE(machine.addVolume("Kept", VolumeKind::usb, false, {}).ok);
    ASSERT_TRUE(QDir(QString::fromStdString(machine.disksFolder())).removeRecursively());
    ASSERT_TRUE(QFile::remove(QString::fromStdString(machine.binFolder() + "/tmutil")));
    const QString pmset = QString::fromStdString(machine.binFolder() + "/pmset");
    ASSERT_TRUE(QFile::remove(pmset) && QFile::link("/nonexistent/macsim", pmset)); // a build that is gone
    ASSERT_TRUE(machine.prepare());
    EXPECT_TRUE(QFileInfo(QString::fromStdString(machine.disksFolder())).isDir());
    for (const char* tool : {"diskutil", "tmutil", "pmset"})
        EXPECT_EQ(QFileInfo(QString::fromStdString(machine.binFolder() + "/" + tool)).symLinkTarget(), "/bin/true")
            << tool;
    EXPECT_EQ(machine.state().volumes.size(), 1u);

    // A link to another build that still runs is kept.
    const QString diskutil = QString::fromStdString(machine.binFolder() + "/diskutil");
    ASSERT_TRUE(QFile::remove(diskutil) && QFile::link("/bin/false", diskutil));
    ASSERT_TRUE(machine.prepare());
    EXPECT_EQ(QFileInfo(diskutil).symLinkTarget(), "/bin/false");
}

TEST_F(MachineTest, VolumeKeepsItsFilesAcrossUnmountAndMount) {
    MachineResult added = machine.addVolume("Photos", VolumeKind::usb, false, {});
    ASSERT_TRUE(added.ok) << added.message;
    EXPECT_EQ(added.message, "disk4s1");
    EXPECT_EQ(added.announcements, std::vector<std::string>{"NSWorkspaceDidMountNotification"});
    QFile file(QString::fromStdString(volumePath("Photos") + "/holiday.jpg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("jpeg");
    file.close();

    MachineResult unmounted = machine.unmount("/Volumes/Photos", false);
    ASSERT_TRUE(unmounted.ok) << unmounted.message;
    EXPECT_EQ(unmounted.announcements, std::vector<std::string>{"NSWorkspaceDidUnmountNotification"});
    EXPECT_FALSE(exists(volumePath("Photos")));
    EXPECT_EQ(machine.state().volumes[0].state, VolumeState::unmounted);
    // Unmounted: the mount path names nothing, the name and the device still do.
    EXPECT_FALSE(machine.diskInfo("/Volumes/Photos"));
    EXPECT_EQ(*tallowmere::findAs<std::string>(*machine.diskInfo("Photos"), "MountPoint"), "");

    MachineResult mounted = machine.mount("disk4s1");
    ASSERT_TRUE(mounted.ok) << mounted.message;
    EXPECT_EQ(mounted.announcements, std::vector<std::string>{"NSWorkspaceDidMountNotification"});
    EXPECT_TRUE(exists(volumePath("Photos") + "/holiday.jpg"));
    EXPECT_EQ(*tallowmere::findAs<std::string>(*machine.diskInfo("disk4s1"), "MountPoint"), "/Volumes/Photos");

    // mountDisk with the whole disk brings it back as well.
    ASSERT_TRUE(machine.unmount("Photos", false).ok);
    ASSERT_TRUE(machine.mountDisk("disk4").ok);
    EXPECT_TRUE(exists(volumePath("Photos") + "/holiday.jpg"));
    // Already mounted: success, nothing to announce.
    EXPECT_TRUE(machine.mount("Photos").announcements.empty());
}

TEST_F(MachineTest, BusyVolumeRefusesEjectAndPlainUnmountButNotForce) {
    ASSERT_TRUE(machine.addVolume("Work", VolumeKind::ssd, true, {}).ok);
    MachineResult plain = machine.unmount("/Volumes/Work", false);
    EXPECT_FALSE(plain.ok);
    EXPECT_NE(plain.message.find("failed to unmount"), std::string::npos);
    EXPECT_FALSE(machine.eject("/Volumes/Work").ok);
    EXPECT_TRUE(exists(volumePath("Work")));

    EXPECT_TRUE(machine.unmount("/Volumes/Work", true).ok);
    EXPECT_FALSE(exists(volumePath("Work")));
    ASSERT_TRUE(machine.mount("Work").ok);
    ASSERT_TRUE(machine.setBusy("Work", false).ok);
    EXPECT_TRUE(machine.eject("/Volumes/Work").ok);
}

TEST_F(MachineTest, BackupInProgressMakesTheVolumeBusyUntilStopped) {
    ASSERT_TRUE(machine.addVolume("TM", VolumeKind::usb, false, {}).ok);
    ASSERT_TRUE(machine.startBackup("TM").ok);
    EXPECT_FALSE(machine.unmount("TM", false).ok);
    EXPECT_FALSE(machine.eject("/Volumes/TM").ok);
    machine.stopBackup();
    EXPECT_TRUE(machine.unmount("TM", false).ok);
    EXPECT_FALSE(machine.startBackup("TM").ok) << "only a mounted volume can be a destination";
}

TEST_F(MachineTest, EjectedAndRemovedDisksCannotBeMountedAgain) {
    ASSERT_TRUE(machine.addVolume("Stick", VolumeKind::usb, false, {}).ok);
    ASSERT_TRUE(machine.addVolume("Card", VolumeKind::sdInternal, false, {}).ok);
    MachineResult ejected = machine.eject("/Volumes/Stick/");
    ASSERT_TRUE(ejected.ok) << ejected.message;
    EXPECT_EQ(ejected.announcements, std::vector<std::string>{"NSWorkspaceDidUnmountNotification"});
    EXPECT_EQ(machine.state().volumes[0].state, VolumeState::ejected);
    EXPECT_FALSE(machine.mount("disk4s1").ok);
    EXPECT_FALSE(machine.mountDisk("disk4").ok);
    EXPECT_FALSE(machine.diskInfo("Stick")) << "an ejected disk is gone from diskutil";
    EXPECT_FALSE(machine.eject("/Volumes/Stick").ok);

    MachineResult removed = machine.removeVolume("disk5s1");
    ASSERT_TRUE(removed.ok);
    EXPECT_EQ(removed.announcements, std::vector<std::string>{"NSWorkspaceDidUnmountNotification"});
    EXPECT_FALSE(exists(volumePath("Card")));
    EXPECT_FALSE(machine.mount("Card").ok);
    EXPECT_FALSE(machine.removeVolume("Card").ok);
    ASSERT_TRUE(machine.removeVolume("Stick").ok);
    EXPECT_TRUE(machine.state().volumes.empty());
    EXPECT_TRUE(QDir(QString::fromStdString(machine.disksFolder())).isEmpty());
}

TEST_F(MachineTest, OddVolumeNamesWorkAndUnusableOnesAreRefused) {
    for (const std::string name :
         {"My Passport", "it's \"quoted\"", "-leading-dash", "new\nline", "Ünïcødé 写真 📷", "force", "disk9s1"}) {
        MachineResult added = machine.addVolume(name, VolumeKind::usb, false, {});
        ASSERT_TRUE(added.ok) << name << ": " << added.message;
        EXPECT_TRUE(exists(volumePath(name))) << name;
        auto info = machine.diskInfo("/Volumes/" + name);
        ASSERT_TRUE(info) << name;
        EXPECT_EQ(*tallowmere::findAs<std::string>(*info, "VolumeName"), name);
        ASSERT_TRUE(machine.unmount(name, false).ok) << name;
        ASSERT_TRUE(machine.mount(added.message).ok) << name;
    }
    for (const std::string& name :
         std::vector<std::string>{"", ".", "..", "a/b", std::string(256, 'x'), std::string("bad\xff")})
        EXPECT_FALSE(machine.addVolume(name, VolumeKind::usb, false, {}).ok) << name;
    EXPECT_FALSE(machine.addVolume("My Passport", VolumeKind::ssd, false, {}).ok) << "names are unique";
}

TEST_F(MachineTest, InfoOverridesAreTypedAndCanRemoveKeys) {
    ASSERT_TRUE(machine
                    .addVolume("X", VolumeKind::usb, false,
                               {{"Internal", ""},
                                {"Ejectable", "false"},
                                {"Size", "42"},
                                {"Ratio", "0.5"},
                                {"MediaName", "Something Else"}})
                    .ok);
    PropertyDictionary info = *machine.diskInfo("X");
    EXPECT_FALSE(tallowmere::find(info, "Internal"));
    EXPECT_EQ(*tallowmere::find(info, "Ejectable"), PropertyValue(false));
    EXPECT_EQ(*tallowmere::find(info, "Size"), PropertyValue(std::int64_t(42)));
    EXPECT_EQ(*tallowmere::find(info, "Ratio"), PropertyValue(0.5));
    EXPECT_EQ(*tallowmere::find(info, "MediaName"), PropertyValue("Something Else"));
}

TEST_F(MachineTest, EachKindReportsTheFactsThatIdentifyIt) {
    const std::pair<VolumeKind, const char*> kinds[] = {{VolumeKind::usb, "usb"},        {VolumeKind::ssd, "ssd"},
                                                        {VolumeKind::sdInternal, "sdi"}, {VolumeKind::sdUsb, "sdu"},
                                                        {VolumeKind::dmg, "dmg"},        {VolumeKind::network, "net"},
                                                        {VolumeKind::optical, "dvd"}};
    for (const auto& [kind, name] : kinds)
        ASSERT_TRUE(machine.addVolume(name, kind, false, {}).ok);
    auto info = [&](const char* name) {
        // Through the XML text, as the application reads it.
        return *tallowmere::PropertyList::parseDictionary(
            tallowmere::PropertyList::toXml(PropertyValue(*machine.diskInfo(name))));
    };
    for (const char* external : {"usb", "ssd", "sdu"}) {
        EXPECT_EQ(*tallowmere::find(info(external), "Internal"), PropertyValue(false)) << external;
        EXPECT_EQ(*tallowmere::find(info(external), "Ejectable"), PropertyValue(true)) << external;
    }
    PropertyDictionary card = info("sdi");
    EXPECT_EQ(*tallowmere::find(card, "Internal"), PropertyValue(true));
    EXPECT_EQ(*tallowmere::find(card, "RemovableMedia"), PropertyValue(true));
    EXPECT_EQ(*tallowmere::find(card, "BusProtocol"), PropertyValue("Secure Digital"));
    PropertyDictionary image = info("dmg");
    EXPECT_FALSE(tallowmere::find(image, "Internal"));
    EXPECT_EQ(*tallowmere::find(image, "MediaName"), PropertyValue("Apple Disk Image"));
    ASSERT_TRUE(tallowmere::findAs<PropertyDictionary>(image, "ParentWholeDisk"));
    EXPECT_EQ(*tallowmere::find(*tallowmere::findAs<PropertyDictionary>(image, "ParentWholeDisk"), "MediaName"),
              PropertyValue("Apple Disk Image"));
    PropertyDictionary share = info("net");
    EXPECT_FALSE(tallowmere::find(share, "Internal"));
    EXPECT_EQ(*tallowmere::find(share, "FileSystemName"), PropertyValue("smbfs"));
    PropertyDictionary disc = info("dvd");
    EXPECT_FALSE(tallowmere::find(disc, "Internal"));
    EXPECT_EQ(*tallowmere::find(disc, "MediaType"), PropertyValue("DVD-ROM"));
    for (const char* name : {"usb", "ssd", "sdi", "sdu", "dmg", "net", "dvd"})
        EXPECT_EQ(*tallowmere::find(info(name), "MountPoint"), PropertyValue("/Volumes/" + std::string(name)));
}

TEST_F(MachineTest, ConcurrentWritersInOneProcessLoseNothing) {
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([&, t] {
            Machine own(machine.folder());
            for (int i = 0; i < 25; ++i)
                own.addVolume("v" + std::to_string(t) + "-" + std::to_string(i), VolumeKind::usb, false, {});
        });
    for (auto& writer : writers)
        writer.join();
    MachineState state = machine.state();
    EXPECT_EQ(state.volumes.size(), 100u);
    std::set<std::string> devices;
    for (const Volume& volume : state.volumes)
        devices.insert(volume.device);
    EXPECT_EQ(devices.size(), 100u);
}

TEST_F(MachineTest, CorruptStateIsMovedAsideAndReplacedByADefaultMachine) {
    ASSERT_TRUE(machine.addVolume("Kept", VolumeKind::usb, false, {}).ok);
    {
        QFile file(QString::fromStdString(machine.statePath()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("{\"volumes\": [");
    }
    EXPECT_TRUE(machine.state().volumes.empty());
    ASSERT_TRUE(machine.update([](MachineState& state) {
        state.screens = 2;
        return true;
    }));
    EXPECT_EQ(machine.state().screens, 2);
    QStringList aside = QDir(QString::fromStdString(machine.folder())).entryList({"machine.json.corrupt-*"});
    ASSERT_EQ(aside.size(), 1);
}

TEST_F(MachineTest, ResetKeepsOnlyTheAttachedApplication) {
    ASSERT_TRUE(machine.addVolume("Gone", VolumeKind::usb, false, {}).ok);
    ASSERT_TRUE(machine.attachApp(ProcessIdentity::current()));
    ASSERT_TRUE(machine.setFullDiskAccess(FullDiskAccess::missing));
    ASSERT_TRUE(machine.reset());
    MachineState state = machine.state();
    EXPECT_TRUE(state.volumes.empty());
    EXPECT_FALSE(exists(volumePath("Gone")));
    EXPECT_TRUE(exists(machine.protectedFolder()));
    ASSERT_TRUE(state.app);
    EXPECT_EQ(state.app->pid, ::getpid());
}

TEST_F(MachineTest, AssertionsOfEndedProcessesAreGone) {
    pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ProcessIdentity ended = ProcessIdentity::of(child);
    ::waitpid(child, nullptr, 0);

    auto mine = machine.createAssertion("PreventUserIdleSystemSleep", 255, "mine", ProcessIdentity::current());
    auto theirs = machine.createAssertion("PreventUserIdleDisplaySleep", 255, "theirs", ended);
    ASSERT_TRUE(mine && theirs);
    EXPECT_NE(*mine, *theirs);
    std::vector<Assertion> live = machine.liveAssertions();
    ASSERT_EQ(live.size(), 1u);
    EXPECT_EQ(live[0].name, "mine");
    EXPECT_TRUE(machine.releaseAssertion(*mine));
    EXPECT_FALSE(machine.releaseAssertion(*mine));
    EXPECT_TRUE(machine.liveAssertions().empty());
    EXPECT_FALSE((ProcessIdentity{::getpid(), 1}.isAlive())) << "a recycled process id is not the same process";
}

TEST_F(MachineTest, AnalyticsServiceRecordsOnlyAcceptedBatches) {
    EXPECT_EQ(machine.receiveAnalytics(R"([{"type":"appLaunched","payload":{"a":"1"}}])"), 200);
    machine.update([](MachineState& state) {
        state.analyticsStatus = 500;
        return true;
    });
    EXPECT_EQ(machine.receiveAnalytics(R"([{"type":"lost"}])"), 500);
    machine.update([](MachineState& state) {
        state.analyticsStatus = 202;
        return true;
    });
    EXPECT_EQ(machine.receiveAnalytics("not json"), 400);
    EXPECT_EQ(machine.receiveAnalytics(R"([{"type":"a"},{"type":"b"}])"), 202);
    QJsonArray records = machine.state().analyticsRecords;
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records[0].toObject().value("type").toString(), "appLaunched");
    EXPECT_EQ(records[2].toObject().value("type").toString(), "b");
}

TEST(ListingText, EscapesWhatWouldBreakALineOrAField) {
    EXPECT_EQ(escapeListingField("plain name, \"quoted\" Ünï"), "plain name, \"quoted\" Ünï");
    EXPECT_EQ(escapeListingField("a\nb\tc\rd\\e"), "a\\nb\\tc\\rd\\\\e");
    EXPECT_EQ(escapeListingField(std::string("x\x01y\x7f", 4)), "x\\x01y\\x7F");
}

} // namespace
