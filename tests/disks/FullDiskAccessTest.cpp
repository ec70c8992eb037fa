#include "disks/FullDiskAccess.h"
#include "disks/Diskutil.h"
#include "support/FakeFileSystem.h"
#include "support/FakeProcessRunner.h"
#include "support/FakeSystemTools.h"
#include "support/FakeWorkspace.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

using namespace tallowmere;
using namespace tallowmere::test;
using Lines = std::vector<std::string>;

namespace {

const std::string protectedPath = "/Users/tester/Library/Metadata/CoreSpotlight";
const std::string checking = "Tallowmere: Checking Full Disk Access permissions...";
const std::string fallingBack = "Tallowmere: All protected test paths missing; falling back to diskutil heuristic";

class FullDiskAccessTest : public ::testing::Test {
protected:
    bool check() {
        log.clear();
        return checkFullDiskAccess(fileSystem, processes, tools);
    }

    FakeFileSystem fileSystem;
    FakeProcessRunner processes;
    FakeSystemTools tools;
    LogCapture log;
};

TEST_F(FullDiskAccessTest, TheProtectedLocationDecidesWhenItIsReadableOrDenied) {
    fileSystem.addDirectory(protectedPath);
    EXPECT_TRUE(check()); // an empty folder is readable too
    EXPECT_EQ(log.lines(),
              (Lines{checking,
                     "Tallowmere: Successfully accessed " + protectedPath + " - Full Disk Access appears to be granted",
                     "Tallowmere: Full Disk Access is GRANTED (accessed 1 protected path(s) with no permission "
                     "errors)"}));
    // A file at the location is read rather than listed.
    fileSystem.remove(protectedPath);
    fileSystem.addFile(protectedPath, "index");
    EXPECT_TRUE(check());
    for (std::int64_t code : {257, 513}) {
        fileSystem.setReadFailure(protectedPath, code);
        EXPECT_FALSE(check());
        const std::string number = std::to_string(code);
        EXPECT_EQ(
            log.lines(),
            (Lines{checking,
                   "Tallowmere: Error accessing " + protectedPath + ": code=" + number + ", domain=NSCocoaErrorDomain",
                   "Tallowmere: Permission denied (code " + number + ") for " + protectedPath +
                       " - Full Disk Access likely NOT granted",
                   "Tallowmere: Full Disk Access is NOT granted (got 1 permission denied error(s))"}));
    }
    EXPECT_TRUE(processes.calls().empty());

    // Any other error leaves the decision to diskutil, although the path exists.
    fileSystem.setReadFailure(protectedPath, 260, "NSPOSIXErrorDomain");
    processes.on({"list"}, FakeProcessRunner::exited(0));
    EXPECT_TRUE(check());
    EXPECT_TRUE(log.contains("Tallowmere: Error accessing " + protectedPath + ": code=260, domain=NSPOSIXErrorDomain"));
    EXPECT_TRUE(log.contains(fallingBack));
    EXPECT_EQ(processes.calls().size(), 1u);
}

TEST_F(FullDiskAccessTest, AMissingLocationFallsBackToDiskutilListWhichFailsOnEveryKindOfTrouble) {
    processes.on({"list"}, FakeProcessRunner::exited(0, "/dev/disk0 (internal):\n"));
    EXPECT_TRUE(check());
    EXPECT_EQ(log.lines(),
              (Lines{checking, "Tallowmere: Path does not exist: " + protectedPath, fallingBack,
                     "Tallowmere: Running diskutil list as fallback check", "Tallowmere: diskutil exit status: 0"}));
    const ProcessRequest list = processes.calls().at(0);
    EXPECT_EQ(list.executable, "/usr/sbin/diskutil");
    EXPECT_TRUE(list.captureStandardOutput && list.captureStandardError);
    EXPECT_EQ(list.timeLimit, queryTimeLimit);

    processes.on({"list"}, FakeProcessRunner::exited(1, {}, "diskutil: permission denied\n"));
    EXPECT_FALSE(check());
    EXPECT_EQ(log.lines().back(), "Tallowmere: diskutil error: diskutil: permission denied\n");

    processes.on({"list"}, FakeProcessRunner::notStarted("launch path not accessible"));
    EXPECT_FALSE(check());
    EXPECT_EQ(log.lines().back(), "Tallowmere: Exception running diskutil: launch path not accessible");
    EXPECT_FALSE(log.contains("Tallowmere: diskutil exit status: -1"));

    // Standard error that is not text (here a character cut off) is not logged.
    processes.on({"list"}, FakeProcessRunner::exited(2, {}, "broken \xc3"));
    EXPECT_FALSE(check());
    EXPECT_EQ(log.lines().back(), "Tallowmere: diskutil exit status: 2");

    processes.on({"list"}, FakeProcessRunner::timedOut());
    EXPECT_FALSE(diskutilFallbackCheck(processes, tools));
}

TEST(OpenFullDiskAccessSettings, FallsBackToThePreferencePaneOnlyWhenThePaneAddressFails) {
    const std::string pane = "x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles";
    const std::string file = "file:///System/Library/PreferencePanes/Security.prefPane";
    FakeWorkspace workspace;
    openFullDiskAccessSettings(workspace);
    EXPECT_EQ(workspace.openRequests(), std::vector<std::string>{pane});

    FakeWorkspace refusing;
    refusing.setUnopenable({pane, file});
    openFullDiskAccessSettings(refusing);
    EXPECT_EQ(refusing.openRequests(), (std::vector<std::string>{pane, file}));
}

} // namespace
