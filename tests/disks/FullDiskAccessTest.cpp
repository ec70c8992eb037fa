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
    EXPECT_EQ(log.lines().back(), "Tallowmere: Full Disk Access is GRANTED (accessed 1 protected path(s) with no "
                                  "permission errors)");
    fileSystem.remove(protectedPath);
    fileSystem.addFile(protectedPath, "index"); // a file is read rather than listed
    EXPECT_TRUE(check());
    for (std::int64_t code : {257, 513}) {
        fileSystem.setReadFailure(protectedPath, code);
        EXPECT_FALSE(check());
        EXPECT_TRUE(log.contains("Tallowmere: Permission denied (code " + std::to_string(code) + ") for " +
                                 protectedPath + " - Full Disk Access likely NOT granted"));
    }
    EXPECT_TRUE(processes.calls().empty());

    // Any other error leaves the decision to diskutil, although the path exists.
    fileSystem.setReadFailure(protectedPath, 260, "NSPOSIXErrorDomain");
    processes.on({"list"}, FakeProcessRunner::exited(0));
    EXPECT_TRUE(check());
    EXPECT_TRUE(log.contains("Tallowmere: Error accessing " + protectedPath + ": code=260, domain=NSPOSIXErrorDomain"));
    EXPECT_EQ(processes.calls().size(), 1u);
}

TEST_F(FullDiskAccessTest, AMissingLocationFallsBackToDiskutilListWhichFailsOnEveryKindOfTrouble) {
    processes.on({"list"}, FakeProcessRunner::exited(0, "/dev/disk0 (internal):\n"));
    EXPECT_TRUE(check());
    EXPECT_TRUE(log.contains("Tallowmere: Path does not exist: " + protectedPath));
    const ProcessRequest list = processes.calls().at(0);
    EXPECT_TRUE(list.captureStandardOutput && list.captureStandardError);
    EXPECT_EQ(list.timeLimit, queryTimeLimit);

    // Each failure with its log lines after the four before the run; standard error that is not text (here a
    // character cut off) is not logged.
    const struct {
        ProcessResult result;
        std::vector<std::string> lines;
    } failures[] = {
        {FakeProcessRunner::exited(1, {}, "denied\n"),
         {"Tallowmere: diskutil exit status: 1", "Tallowmere: diskutil error: denied\n"}},
        {FakeProcessRunner::notStarted("no path"), {"Tallowmere: Exception running diskutil: no path"}},
        {FakeProcessRunner::exited(2, {}, "broken \xc3"), {"Tallowmere: diskutil exit status: 2"}},
        {FakeProcessRunner::timedOut(), {"Tallowmere: diskutil exit status: -1", "Tallowmere: diskutil error: "}},
    };
    for (const auto& failure : failures) {
        processes.on({"list"}, failure.result);
        EXPECT_FALSE(check());
        const auto lines = log.lines();
        EXPECT_EQ(std::vector<std::string>(lines.begin() + 4, lines.end()), failure.lines);
    }
}

// Only when the pane's address fails (the application's tests see it open alone otherwise).
TEST(OpenFullDiskAccessSettings, FallsBackToThePreferencePaneWhenThePaneAddressFails) {
    FakeWorkspace workspace;
    workspace.unopenable = {"x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles"};
    openFullDiskAccessSettings(workspace);
    EXPECT_EQ(workspace.openRequests().back(), "file:///System/Library/PreferencePanes/Security.prefPane");
}

} // namespace
