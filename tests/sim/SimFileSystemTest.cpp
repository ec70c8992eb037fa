#include "platform/sim/SimFileSystem.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tallowmere;

namespace {

class SimFileSystemTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    macsim::Machine machine{dir.path().toStdString() + "/machine", "/bin/true"};
    SimFileSystem files{machine};
    void SetUp() override { ASSERT_TRUE(machine.prepare()); }
};

TEST_F(SimFileSystemTest, MacPathsAndMountedVolumesLiveInTheMachineFolder) {
    EXPECT_EQ(files.homeDirectory(), "/Users/sim");
    EXPECT_EQ(files.hostPath("/Volumes/My Disk/a"), machine.volumesFolder() + "/My Disk/a");
    EXPECT_EQ(files.hostPath("/Users/sim/Library/Caches/x"), machine.cachesFolder() + "/x");
    EXPECT_EQ(files.hostPath("/usr/sbin/diskutil"), machine.binFolder() + "/diskutil");
    // Nothing climbs out of a mapped folder: ".." is resolved on the Mac path first.
    EXPECT_EQ(files.hostPath("/Volumes/../Users/sim/x"), machine.homeFolder() + "/x");
    EXPECT_EQ(files.hostPath("/Volumesque"), "/Volumesque");
    EXPECT_TRUE(files.isExecutableFile("/usr/bin/tmutil"));

    ASSERT_TRUE(machine.addVolume("Photos", macsim::VolumeKind::usb, false, {}).ok);
    ASSERT_TRUE(machine.addVolume("Old", macsim::VolumeKind::usb, false, {}).ok);
    ASSERT_TRUE(machine.unmount("Old", false).ok);
    EXPECT_EQ(files.mountedVolumePaths(), (std::vector<std::string>{"/", "/System/Volumes/Data", "/Volumes/Photos"}));
    EXPECT_TRUE(files.isDirectory("/Volumes/Photos"));
    EXPECT_FALSE(files.exists("/Volumes/Old"));
}

TEST_F(SimFileSystemTest, ProtectedFolderFollowsFullDiskAccess) {
    const std::string folder = "/Users/sim/Library/Metadata/CoreSpotlight";
    // Denied by default, although this process could read the folder.
    ASSERT_TRUE(QFileInfo(QString::fromStdString(machine.protectedFolder())).isReadable());
    FileReadResult denied = files.listDirectory(folder);
    EXPECT_EQ(denied.errorCode, 257);
    EXPECT_EQ(denied.errorDomain, "NSCocoaErrorDomain");
    EXPECT_EQ(files.readFile(folder + "/index").errorCode, 257);
    EXPECT_FALSE(files.writeFileAtomically(folder + "/x", "no")) << "denied access covers writes too";
    EXPECT_TRUE(files.exists(folder));

    ASSERT_TRUE(machine.setFullDiskAccess(macsim::FullDiskAccess::granted));
    FileReadResult granted = files.listDirectory(folder);
    EXPECT_TRUE(granted.ok);
    EXPECT_TRUE(granted.entries.empty());

    ASSERT_TRUE(machine.setFullDiskAccess(macsim::FullDiskAccess::missing));
    EXPECT_FALSE(files.exists(folder));
    EXPECT_EQ(files.listDirectory(folder).errorCode, 260);
}

TEST_F(SimFileSystemTest, FilesAreWrittenAndReadBackAndAMissingOneIsCode260) {
    const std::string cache = "/Users/sim/Library/Caches/com.tallowmere.app/signals.json";
    ASSERT_TRUE(files.writeFileAtomically(cache, "[1,2]"));
    EXPECT_EQ(files.readFile(cache).contents, "[1,2]");
    EXPECT_EQ(files.listDirectory("/Users/sim/Library/Caches/com.tallowmere.app").entries,
              std::vector<std::string>{"signals.json"});
    EXPECT_EQ(files.readFile("/Users/sim/nothing-here").errorCode, 260);
}

} // namespace
