#include "DiskManagerFixture.h"

#include "base/Preferences.h"

#include <QObject>

#include <gmock/gmock.h>

#include <cmath>
#include <deque>

using namespace tallowmere;
using namespace tallowmere::test;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

namespace {

struct EjectOutcome {
    int calls = 0;
    bool success = false;
    std::optional<EjectedDiskInfo> record;
    Seconds at{-1}; // from the call to the completion

    bool operator==(const EjectOutcome& o) const {
        return calls == o.calls && success == o.success && record == o.record && std::abs((at - o.at).count()) < 1e-9;
    }
    friend void PrintTo(const EjectOutcome& o, std::ostream* os) {
        *os << o.calls << " call(s), " << (o.success ? "success" : "failure") << " after " << o.at.count() << " s"
            << (o.record ? ", recorded " + o.record->diskIdentifier : ", no record");
    }
};
const std::optional<EjectedDiskInfo> noRecord;

class EjectTest : public DiskManagerTest {
protected:
    EjectTest() {
        workspace.setEjectHandler(takeAway);
        preferences.setBool(PreferenceKey::unmountInsteadOfEject, false); // the workspace eject, unless a case says
    }
    // Ejects one volume and lets `wait` pass; the outcome fills in when the completion runs.
    const EjectOutcome& eject(const std::string& path, bool force, Seconds wait = 5s) {
        EjectOutcome& outcome = outcomes.emplace_back();
        const Seconds started = runtime.elapsed();
        manager->ejectVolume(path, {.force = force},
                             [this, &outcome, started](bool success, std::optional<EjectedDiskInfo> record) {
                                 EXPECT_TRUE(runtime.isMainThread());
                                 ++outcome.calls;
                                 outcome.success = success;
                                 outcome.record = std::move(record);
                                 outcome.at = runtime.elapsed() - started;
                             });
        runtime.advance(wait);
        return outcome;
    }
    int diskutilCalls(const char* verb) {
        return processes.count([verb](const ProcessRequest& r) { return isDiskutil(r, verb); });
    }

    // The workspace eject takes the volume away, as the real one does.
    const FakeWorkspace::EjectHandler takeAway = [this](const std::string& path) -> std::optional<std::string> {
        fileSystem.remove(path);
        return std::nullopt;
    };
    std::deque<EjectOutcome> outcomes;
};

TEST_F(EjectTest, EjectPathUsesTheWorkspaceWaitsAndVerifiesAndFailsOnEveryDoubt) {
    const std::string path = addUsbVolume("My Passport", "disk4s2");
    scriptOffline("My Passport", "disk4s2");
    const EjectOutcome& outcome = eject(path, false, 0.49s);
    EXPECT_TRUE(fileSystem.exists(path)); // 0.5 s before the eject, 1.5 s after it
    runtime.advance(5s);
    EXPECT_EQ(outcome, (EjectOutcome{1, true, EjectedDiskInfo{path, "disk4s2", "My Passport"}, 2s}));
    EXPECT_EQ(diskutilCalls("unmount"), 0);
    EXPECT_EQ(processes.count(Args{"info", "-plist", "My Passport"}), 1);
    EXPECT_EQ(processes.count(Args{"info", "-plist", "disk4s2"}), 1);
    EXPECT_TRUE(log.contains("Eject My Passport: taken offline"));

    // The workspace refuses: failure at once, no fallback and no verification.
    fileSystem.addDirectory(path);
    workspace.setEjectHandler([](const std::string&) { return std::optional<std::string>("in use"); });
    EXPECT_EQ(eject(path, false), (EjectOutcome{1, false, noRecord, 0.5s}));
    EXPECT_EQ(diskutilCalls("unmount"), 0);
    EXPECT_EQ(processes.count(Args{"info", "-plist", "My Passport"}), 1);
    EXPECT_TRUE(log.contains("Eject My Passport: failed: in use"));

    // Reported as ejected but the folder is still there.
    workspace.setEjectHandler([](const std::string&) { return std::nullopt; });
    EXPECT_FALSE(eject(path, false).success);
    EXPECT_TRUE(log.contains("Eject My Passport: failed: still mounted after the eject"));

    // The folder is gone but diskutil still reports a mount point.
    workspace.setEjectHandler(takeAway);
    scriptInfo("disk4s2", {{"MountPoint", path}});
    EXPECT_EQ(eject(path, false), (EjectOutcome{1, false, noRecord, 2s}));
}

// What is recorded for such a volume is checked end to end (SimulatedDisksTest).
TEST_F(EjectTest, AnIdentifierNotFoundIsLookedUpOnceMoreAfterAPauseAndNotUnmountedBy) {
    const std::string path = "/Volumes/Mystery";
    fileSystem.addDirectory(path);
    failInfo(path);
    failInfo("Mystery");
    processes.on({"unmount", path}, FakeProcessRunner::exited(1, {}, "Unmount failed\n"));
    preferences.setBool(PreferenceKey::unmountInsteadOfEject, true);
    const EjectOutcome& outcome = eject(path, false, 0s);
    EXPECT_EQ(runtime.elapsed(), Seconds(0.1));
    EXPECT_EQ(processes.count(Args{"info", "-plist", path}), 2);
    runtime.advance(5s);
    EXPECT_EQ(outcome, (EjectOutcome{1, false, noRecord, 0.6s}));
    EXPECT_EQ(diskutilCalls("unmount"), 1);
}

TEST_F(EjectTest, UnmountPathFallsBackToTheIdentifierAndVerifies) {
    const std::string path = addUsbVolume("Fast SSD", "disk6s1");
    scriptOffline("Fast SSD", "disk6s1");
    preferences.setBool(PreferenceKey::unmountInsteadOfEject, true);

    // The mount path fails, the identifier succeeds, and verification follows without a pause.
    processes.on({"unmount", path}, FakeProcessRunner::exited(1, {}, "Volume busy\n"));
    processes.on({"unmount", "disk6s1"}, FakeProcessRunner::exited(0));
    EXPECT_EQ(eject(path, false, 0.5s), (EjectOutcome{1, true, EjectedDiskInfo{path, "disk6s1", "Fast SSD"}, 0.5s}));
    EXPECT_THAT(processes.argumentLists(),
                ElementsAre(Args{"info", "-plist", path}, Args{"unmount", path}, Args{"unmount", "disk6s1"},
                            Args{"info", "-plist", "Fast SSD"}, Args{"info", "-plist", "disk6s1"}));
    EXPECT_TRUE(processes.calls()[1].captureStandardOutput && processes.calls()[1].captureStandardError);

    // Exit status 0 is not enough: diskutil still reports a mount point.
    scriptInfo("disk6s1", {{"MountPoint", path}});
    EXPECT_EQ(eject(path, false, 1s), (EjectOutcome{1, false, noRecord, 0.5s}));
    EXPECT_TRUE(log.contains("Unmount Fast SSD: taken offline"));
    EXPECT_TRUE(log.contains("Unmount Fast SSD: failed: still mounted after the unmount"));
}

TEST_F(EjectTest, AnUnmountThatCannotStartOrHangsFails) {
    const std::string path = addUsbVolume("Old Drive", "disk7s1");
    processes.when([](const ProcessRequest& r) { return isDiskutil(r, "unmount"); },
                   [](const ProcessRequest&) { return FakeProcessRunner::notStarted("No such file"); });
    EXPECT_FALSE(eject(path, true, 1s).success);
    EXPECT_TRUE(log.contains("ERROR: Failed to run diskutil unmount for Old Drive (mountPath): No such file"));
    EXPECT_TRUE(log.contains("ERROR: Failed to run diskutil unmount for Old Drive (deviceIdentifier): No such file"));
    EXPECT_TRUE(log.contains("Forced unmount Old Drive: failed: diskutil could not run"));

    // A hanging diskutil is ended by its time limit and the identifier is not tried in vain. The volume is not
    // offline yet, but the unmount may still finish: it keeps its record, so that it comes back.
    processes.clearCalls();
    scriptInfo("Old Drive", usbInfo("Old Drive", "disk7s1"));
    processes.when([](const ProcessRequest& r) { return isDiskutil(r, "unmount"); },
                   [](const ProcessRequest& r) {
                       EXPECT_EQ(r.timeLimit, offlineTimeLimit);
                       return FakeProcessRunner::timedOut();
                   });
    const EjectedDiskInfo kept{path, "disk7s1", "Old Drive"};
    EXPECT_EQ(eject(path, true, 1s), (EjectOutcome{1, false, kept, 0.5s}));
    EXPECT_EQ(diskutilCalls("unmount"), 1);
    EXPECT_TRUE(log.contains("Forced unmount Old Drive: outcome unknown: diskutil unmount did not finish within its "
                             "time limit; kept for the remount"));
    scriptOffline("Old Drive", "disk7s1");
    EXPECT_TRUE(eject(path, true, 1s).success);

    // The unmount reports success but its verification hangs: no evidence either way, so the record stays.
    processes.when([](const ProcessRequest& r) { return isDiskutil(r, "unmount"); },
                   [](const ProcessRequest&) { return FakeProcessRunner::exited(0); });
    processes.on({"info", "-plist", "Old Drive"}, FakeProcessRunner::timedOut());
    EXPECT_EQ(eject(path, true, 1s), (EjectOutcome{1, false, kept, 0.5s}));
    EXPECT_TRUE(log.contains(
        "Forced unmount Old Drive: outcome unknown: diskutil did not answer in time; kept for the remount"));

    // A workspace eject that does not return is given up after its limit, and looked at once more.
    workspace.setEjectHandler([this](const std::string&) {
        runtime.sleepFor(60s);
        return std::optional<std::string>();
    });
    EXPECT_EQ(eject(path, false, 40s), (EjectOutcome{1, false, kept, 2s + offlineTimeLimit}));
    EXPECT_TRUE(log.contains("Eject Old Drive: outcome unknown: the workspace eject did not finish within its time "
                             "limit; kept for the remount"));
}

TEST_F(EjectTest, ARunningTimeMachineBackupToTheVolumeIsStoppedFirst) {
    const std::string path = addUsbVolume("Backup", "disk8s2");
    scriptOffline("Backup", "disk8s2");
    const std::string running = "Backup session status:\n{\n    DestinationMountPoint = \"/Volumes/Backup\";\n"
                                "    Running = 1;\n}\n";
    processes.on({"status"}, FakeProcessRunner::exited(0, running));
    processes.on({"stopbackup"}, FakeProcessRunner::exited(0));
    eject(path, false); // without an executable tmutil nothing is asked
    EXPECT_EQ(processes.count(Args{"status"}), 0);

    fileSystem.setExecutable("/usr/bin/tmutil");
    fileSystem.addDirectory(path);
    EXPECT_EQ(eject(path, false).at, 3s); // the eject waits 1.5 s rather than 0.5 s after a stopped backup
    EXPECT_EQ(processes.count(Args{"stopbackup"}), 1);

    // A backup to another volume, one not running, output that is not text, a failed status or stop: no stop.
    for (const auto& [status, stop] : std::vector<std::pair<ProcessResult, int>>{
             {FakeProcessRunner::exited(0, "Running = 1;\nDestinationMountPoint = \"" + path + " 2\";"), 0},
             {FakeProcessRunner::exited(0, "Running = 0;\nDestinationMountPoint = \"/Volumes/Backup\";"), 0},
             {FakeProcessRunner::exited(0, running + "\xff\xfe"), 0},
             {FakeProcessRunner::exited(1, running), 0},
             {FakeProcessRunner::exited(0, running), 1}}) {
        processes.on({"status"}, status);
        processes.on({"stopbackup"}, FakeProcessRunner::exited(stop));
        EXPECT_FALSE(TimeMachine(services).stopBackupIfRunning(path)) << status.standardOutput;
    }
    EXPECT_EQ(processes.count(Args{"stopbackup"}), 2);
}

TEST_F(EjectTest, ABatchKeepsTheRecordsOfEarlierVolumesStillOfflineOnly) {
    const EjectedDiskInfo old{"/Volumes/Old", "disk9s1", "Old"};
    manager->setLastEjectedDisks({old});
    std::optional<std::vector<std::string>> result;
    manager->ejectExternalDisks(allKinds, {}, [&](std::vector<std::string> urls) { result = urls; });
    ASSERT_TRUE(result); // nothing to eject: at once, on the calling thread
    EXPECT_TRUE(result->empty());
    EXPECT_TRUE(log.contains("Batch found nothing to take offline"));
    runtime.advance(10s);
    EXPECT_EQ(manager->lastEjectedDisks(), std::vector<EjectedDiskInfo>{old});

    const std::string a = addUsbVolume("Alpha", "disk4s1");
    const std::string b = addUsbVolume("Beta", "disk5s1");
    fileSystem.setMountPoint(b, "/media/me/Beta"); // the selection shows where the volume really is
    scriptOffline("Alpha", "disk4s1");
    manager->setLastEjectedDisks({old, {b, "disk5s1", "Beta"}}); // Beta is back online
    int changes = 0;
    int published = 0;
    QObject::connect(manager.get(), &ExternalDiskManager::lastEjectedDisksChanged, [&] { ++changes; });
    QObject::connect(manager.get(), &ExternalDiskManager::cachedVolumeSelectionsChanged, [&] { ++published; });
    workspace.setEjectHandler([this, b](const std::string& path) -> std::optional<std::string> {
        if (path == b)
            return "The volume is in use";
        fileSystem.remove(path);
        fileSystem.setMountedVolumePaths(std::vector<std::string>{"/", b});
        manager->refreshVolumeSelections(allKinds); // as the unmount's announcement asks: it waits for the batch
        return std::nullopt;
    });
    manager->ejectExternalDisks(allKinds, {}, [&](std::vector<std::string> urls) {
        for (const std::string& url : urls) // recorded before the caller hears of it
            EXPECT_EQ(std::ranges::count(manager->lastEjectedDisks(), url, &EjectedDiskInfo::url), 1);
        EXPECT_EQ(published, 0);
        result = urls;
    });
    runtime.advance(2s); // several volumes at once take as long as one
    EXPECT_EQ(result, std::vector<std::string>{a});
    EXPECT_THAT(manager->lastEjectedDisks(), UnorderedElementsAre(EjectedDiskInfo{a, "disk4s1", "Alpha"}, old));
    EXPECT_EQ(changes, 1);
    for (const char* line : {"Batch found Alpha, Beta to take offline", "Eject Alpha: taken offline",
                             "Eject Beta: failed: The volume is in use", "Batch finished; to remount: Alpha, Old"})
        EXPECT_TRUE(log.contains(line)) << line;
    runtime.advance(5s);
    EXPECT_EQ(published, 1);
    EXPECT_EQ(manager->cachedVolumeSelections(), (std::vector<VolumeSelection>{{"disk5s1", "Beta", "/media/me/Beta"}}));
}

} // namespace
