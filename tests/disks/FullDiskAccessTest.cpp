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

namespace {

const std::string protectedPath = "/Users/tester/Library/Metadata/CoreSpotlight";

class FullDiskAccessTest : public ::testing::Test {
protected:
    bool check() { return checkFullDiskAccess(fileSystem, processes, tools); }
    int diskutilRuns() const { return static_cast<int>(processes.calls().size()); }

    FakeFileSystem fileSystem;
    FakeProcessRunner processes;
    FakeSystemTools tools;
    LogCapture log;
};

TEST_F(FullDiskAccessTest, AMissingLocationFallsBackToDiskutilList) {
    processes.on({"list"}, FakeProcessRunner::exited(0, "/dev/disk0 (internal):\n"));
    EXPECT_TRUE(check());
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "Tallowmere: Checking Full Disk Access permissions...",
                               "Tallowmere: Path does not exist: " + protectedPath,
                               "Tallowmere: All protected test paths missing; falling back to diskutil heuristic",
                               "Tallowmere: Running diskutil list as fallback check",
                               "Tallowmere: diskutil exit status: 0",
                           }));
    const ProcessRequest list = processes.calls().at(0);
    EXPECT_EQ(list.executable, "/usr/sbin/diskutil");
    EXPECT_TRUE(list.captureStandardOutput && list.captureStandardError);
    EXPECT_EQ(list.timeLimit, systemToolTimeLimit);

    log.clear();
    processes.on({"list"}, FakeProcessRunner::exited(1, {}, "diskutil: permission denied\n"));
    EXPECT_FALSE(check());
    const auto lines = log.lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Tallowmere: diskutil exit status: 1");
    EXPECT_EQ(lines.back(), "Tallowmere: diskutil error: diskutil: permission denied\n");
}

TEST_F(FullDiskAccessTest, PermissionDeniedCodesDecideWithoutDiskutil) {
    fileSystem.addDirectory(protectedPath);
    for (std::int64_t code : {257, 513}) {
        log.clear();
        fileSystem.setReadFailure(protectedPath, code);
        EXPECT_FALSE(check());
        const std::string number = std::to_string(code);
        EXPECT_EQ(log.lines(), (std::vector<std::string>{
                                   "Tallowmere: Checking Full Disk Access permissions...",
                                   "Tallowmere: Error accessing " + protectedPath + ": code=" + number +
                                       ", domain=NSCocoaErrorDomain",
                                   "Tallowmere: Permission denied (code " + number + ") for " + protectedPath +
                                       " - Full Disk Access likely NOT granted",
                                   "Tallowmere: Full Disk Access is NOT granted (got 1 permission denied error(s))",
                               }));
    }
    EXPECT_EQ(diskutilRuns(), 0);
}

TEST_F(FullDiskAccessTest, AnyOtherReadErrorFallsBackAlthoughThePathExists) {
    fileSystem.addDirectory(protectedPath);
    fileSystem.setReadFailure(protectedPath, 260, "NSPOSIXErrorDomain");
    processes.on({"list"}, FakeProcessRunner::exited(0));
    EXPECT_TRUE(check());
    EXPECT_TRUE(log.contains("Tallowmere: Error accessing " + protectedPath + ": code=260, domain=NSPOSIXErrorDomain"));
    EXPECT_TRUE(log.contains("Tallowmere: All protected test paths missing; falling back to diskutil heuristic"));
    EXPECT_EQ(diskutilRuns(), 1);
}

TEST_F(FullDiskAccessTest, AReadableLocationGrantsEvenWhenEmpty) {
    fileSystem.addDirectory(protectedPath);
    EXPECT_TRUE(check());
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{
                  "Tallowmere: Checking Full Disk Access permissions...",
                  "Tallowmere: Successfully accessed " + protectedPath + " - Full Disk Access appears to be granted",
                  "Tallowmere: Full Disk Access is GRANTED (accessed 1 protected path(s) with no "
                  "permission errors)",
              }));

    // A file at the location is read rather than listed.
    fileSystem.remove(protectedPath);
    fileSystem.addFile(protectedPath, "index");
    EXPECT_TRUE(check());
    fileSystem.setReadFailure(protectedPath, 257);
    EXPECT_FALSE(check());
    EXPECT_EQ(diskutilRuns(), 0);
}

TEST_F(FullDiskAccessTest, TheFallbackFailsOnEveryKindOfTroubleWithItsOwnLines) {
    processes.on({"list"}, FakeProcessRunner::notStarted("launch path not accessible"));
    EXPECT_FALSE(diskutilFallbackCheck(processes, tools));
    EXPECT_EQ(log.lines().back(), "Tallowmere: Exception running diskutil: launch path not accessible");
    EXPECT_FALSE(log.contains("Tallowmere: diskutil exit status: -1"));

    log.clear();
    processes.on({"list"}, FakeProcessRunner::exited(2, {}, "\xff\xfe broken"));
    EXPECT_FALSE(diskutilFallbackCheck(processes, tools));
    EXPECT_EQ(log.lines().back(), "Tallowmere: diskutil exit status: 2"); // no error line for non-text

    log.clear();
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

TEST(ToolOutput, OnlyValidUtf8CountsAsText) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("Running = 1; \"/Volumes/Fotos \xc3\xa9t\xc3\xa9\""));
    EXPECT_FALSE(isValidUtf8("\xc3"));          // cut off in the middle of a character
    EXPECT_FALSE(isValidUtf8("a\xed\xa0\x80")); // an encoded surrogate
}

} // namespace
