#include "Machine.h"

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
using tallowmere::find;
using tallowmere::PropertyValue;

namespace {

constexpr QFile::Permissions ownerOnly =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;

bool exists(const std::string& path) {
    return QFileInfo::exists(QString::fromStdString(path));
}

class MachineTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    Machine machine{dir.path().toStdString() + "/machine", "/bin/true"};
    void SetUp() override { ASSERT_TRUE(machine.prepare()); }
    std::string linkOf(const char* tool) const {
        return QFileInfo(QString::fromStdString(machine.binFolder() + "/" + tool)).symLinkTarget().toStdString();
    }
};

TEST_F(MachineTest, FreshMachineIsTheDefaultMacAndPrepareRepairsIt) {
    MachineState state = machine.state();
    EXPECT_TRUE(state.awake && state.sessionActive && state.userAllowsNotifications);
    EXPECT_EQ(state.battery->currentCapacity, 100);
    EXPECT_EQ(state.fullDiskAccess, FullDiskAccess::denied);
    EXPECT_TRUE(state.volumes.empty());
    EXPECT_TRUE(exists(machine.protectedFolder()));
    EXPECT_EQ(*find(*machine.diskInfo("/"), "VolumeName"), PropertyValue("Macintosh HD"));
    EXPECT_EQ(*find(*machine.diskInfo("/"), "DeviceIdentifier"), PropertyValue("disk3s1s1"));
    EXPECT_EQ(*find(*machine.diskInfo("/System/Volumes/Data"), "DeviceIdentifier"), PropertyValue("disk3s5"));

    // Missing folders and links, and links to a build that is gone, are restored; the state is kept.
    ASSERT_TRUE(machine.addVolume("Kept", VolumeKind::usb, false, {}).ok);
    ASSERT_TRUE(QDir(QString::fromStdString(machine.disksFolder())).removeRecursively());
    ASSERT_TRUE(QFile::remove(QString::fromStdString(machine.binFolder() + "/tmutil")));
    const QString pmset = QString::fromStdString(machine.binFolder() + "/pmset");
    ASSERT_TRUE(QFile::remove(pmset) && QFile::link("/nonexistent/macsim", pmset));
    // A link to another build that still runs is left alone.
    const QString diskutil = QString::fromStdString(machine.binFolder() + "/diskutil");
    ASSERT_TRUE(QFile::remove(diskutil) && QFile::link("/bin/false", diskutil));
    ASSERT_TRUE(machine.prepare());
    EXPECT_TRUE(QFileInfo(QString::fromStdString(machine.disksFolder())).isDir());
    EXPECT_EQ(linkOf("tmutil"), "/bin/true");
    EXPECT_EQ(linkOf("pmset"), "/bin/true");
    EXPECT_EQ(linkOf("diskutil"), "/bin/false");
    EXPECT_EQ(machine.state().volumes.size(), 1u);

    // The machine, with the application's socket in it, is the user's alone, also when it was not.
    const QString folder = QString::fromStdString(machine.folder());
    EXPECT_EQ(QFileInfo(folder).permissions(), ownerOnly);
    ASSERT_TRUE(QFile::setPermissions(folder, ownerOnly | QFile::ReadOther | QFile::ExeOther));
    ASSERT_TRUE(machine.prepare());
    EXPECT_EQ(QFileInfo(folder).permissions(), ownerOnly);
}

TEST_F(MachineTest, ReceivedSignalsAndPostedNotificationsLeaveTheStateFileAsItWas) {
    // Every tool run and the application read the state whole: what only accumulates has logs of its own.
    const QFileInfo stateFile(QString::fromStdString(machine.statePath()));
    const qint64 size = stateFile.size();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(machine.receiveAnalytics("[{\"type\":\"t" + std::to_string(i) + "\"}]"), 200);
        ASSERT_TRUE(machine.recordNotification({"id", "Title " + std::to_string(i), "", {}}));
    }
    ASSERT_TRUE(machine.recordPresentation("id", 19));
    EXPECT_EQ(QFileInfo(stateFile.filePath()).size(), size);
    QJsonArray records = machine.analyticsRecords();
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records[2].toObject().value("type").toString(), "t2");
    std::vector<PostedNotification> posted = machine.notifications();
    ASSERT_EQ(posted.size(), 3u);
    EXPECT_EQ(posted[2].title, "Title 2");
    EXPECT_EQ(posted[2].presentationOptions, 19u);
    EXPECT_FALSE(posted[1].presentationOptions);
}

TEST_F(MachineTest, EjectedAndRemovedDisksAreGoneForGood) {
    ASSERT_TRUE(machine.addVolume("Stick", VolumeKind::usb, false, {}).ok);
    ASSERT_TRUE(machine.addVolume("Card", VolumeKind::sdInternal, false, {}).ok);
    MachineResult ejected = machine.eject("/Volumes/Stick/");
    ASSERT_TRUE(ejected.ok) << ejected.message;
    EXPECT_EQ(ejected.announcements, std::vector<std::string>{"NSWorkspaceDidUnmountNotification"});
    EXPECT_FALSE(machine.mount("disk4s1").ok);
    EXPECT_FALSE(machine.mountDisk("disk4").ok);
    EXPECT_FALSE(machine.diskInfo("Stick")) << "an ejected disk is gone from diskutil";
    EXPECT_FALSE(machine.eject("/Volumes/Stick").ok);

    ASSERT_TRUE(machine.removeVolume("disk5s1").ok);
    EXPECT_FALSE(exists(machine.volumesFolder() + "/Card"));
    EXPECT_FALSE(machine.mount("Card").ok);
    EXPECT_FALSE(machine.removeVolume("Card").ok);
    ASSERT_TRUE(machine.removeVolume("Stick").ok);
    EXPECT_TRUE(machine.state().volumes.empty());
    EXPECT_TRUE(QDir(QString::fromStdString(machine.disksFolder())).isEmpty());
}

TEST_F(MachineTest, AddedVolumesTakeTypedInfoOverridesAndOnlyUsableUniqueNames) {
    ASSERT_TRUE(machine
                    .addVolume("X", VolumeKind::usb, false,
                               {{"Internal", ""}, {"Ejectable", "false"}, {"Size", "42"}, {"Ratio", "0.5"}})
                    .ok);
    tallowmere::PropertyDictionary info = *machine.diskInfo("X");
    EXPECT_FALSE(find(info, "Internal"));
    EXPECT_EQ(*find(info, "Ejectable"), PropertyValue(false));
    EXPECT_EQ(*find(info, "Size"), PropertyValue(std::int64_t(42)));
    EXPECT_EQ(*find(info, "Ratio"), PropertyValue(0.5));

    for (const std::string& name : {std::string(), std::string("."), std::string(".."), std::string("a/b"),
                                    std::string(256, 'x'), std::string("bad\xff"), std::string("X")})
        EXPECT_FALSE(machine.addVolume(name, VolumeKind::ssd, false, {}).ok) << name;
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
    std::set<std::string> devices;
    for (const Volume& volume : machine.state().volumes)
        devices.insert(volume.device);
    EXPECT_EQ(devices.size(), 100u);
}

TEST_F(MachineTest, CorruptStateIsMovedAsideAndResetKeepsOnlyTheAttachedApplication) {
    ASSERT_TRUE(machine.addVolume("Lost", VolumeKind::usb, false, {}).ok);
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
    EXPECT_EQ(QDir(QString::fromStdString(machine.folder())).entryList({"machine.json.corrupt-*"}).size(), 1);

    ASSERT_TRUE(machine.addVolume("Gone", VolumeKind::usb, false, {}).ok);
    ASSERT_TRUE(machine.attachApp(ProcessIdentity::current()));
    ASSERT_TRUE(machine.setFullDiskAccess(FullDiskAccess::missing));
    ASSERT_TRUE(machine.reset());
    MachineState state = machine.state();
    EXPECT_TRUE(state.volumes.empty());
    EXPECT_EQ(state.screens, 1);
    EXPECT_FALSE(exists(machine.volumesFolder() + "/Gone"));
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

} // namespace
