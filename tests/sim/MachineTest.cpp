#include "simulator/Machine.h"
#include "simulator/AppLink.h"

#include "platform/LocalNotificationCenter.h"
#include "platform/PropertyList.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimPowerAssertions.h"
#include "platform/sim/SimSystemPower.h"
#include "platform/sim/SimUserNotificationCenter.h"
#include "platform/sim/SimWorkspace.h"
#include "support/VirtualRuntime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace macsim;
using namespace tallowmere;

namespace {

constexpr QFile::Permissions ownerOnly =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;

bool exists(const std::string& path) {
    return QFileInfo::exists(QString::fromStdString(path));
}

// The machine model and the application's adapters to it, in this process. What runs through macsim and the
// application (MacsimCommandsTest, tests/e2e) already show is left to those.
class MachineTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    Machine machine{dir.path().toStdString() + "/machine", "/bin/true"};
    test::VirtualRuntime runtime;
    void SetUp() override { ASSERT_TRUE(machine.prepare()); }
    std::string linkOf(const char* tool) const {
        return QFileInfo(QString::fromStdString(machine.binFolder() + "/" + tool)).symLinkTarget().toStdString();
    }
    void set(const std::function<void(MachineState&)>& change) {
        machine.update([&](MachineState& state) {
            change(state);
            return true;
        });
    }
};

TEST_F(MachineTest, FreshMachineIsTheDefaultMacAndPrepareRepairsIt) {
    MachineState state = machine.state();
    EXPECT_TRUE(state.awake && state.sessionActive && state.userAllowsNotifications && state.volumes.empty());
    EXPECT_EQ(state.fullDiskAccess, FullDiskAccess::denied);
    EXPECT_EQ(state.battery->currentCapacity, 100);
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
    const qint64 size = QFileInfo(QString::fromStdString(machine.statePath())).size();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(machine.receiveAnalytics("[{\"type\":\"t" + std::to_string(i) + "\"}]"), 200);
        ASSERT_TRUE(machine.recordNotification({"id", "Title " + std::to_string(i), "", {}}));
    }
    ASSERT_TRUE(machine.recordPresentation("id", 19));
    EXPECT_EQ(QFileInfo(QString::fromStdString(machine.statePath())).size(), size);
    EXPECT_EQ(machine.analyticsRecords().size(), 3);
    ASSERT_EQ(machine.notifications().size(), 3u);
    EXPECT_EQ(machine.notifications()[2].presentationOptions, 19u) << "the latest of the identifier";
    EXPECT_FALSE(machine.notifications()[1].presentationOptions);
}

TEST_F(MachineTest, EjectedAndRemovedDisksAreGoneForGoodAndOnlyUsableUniqueNamesAreAdded) {
    ASSERT_TRUE(machine.addVolume("Stick", VolumeKind::usb, false, {{"Size", "42"}, {"Ratio", "0.5"}}).ok);
    ASSERT_TRUE(machine.addVolume("Card", VolumeKind::sdInternal, false, {}).ok);
    EXPECT_EQ(*find(*machine.diskInfo("Stick"), "Size"), PropertyValue(std::int64_t(42)));
    EXPECT_EQ(*find(*machine.diskInfo("Stick"), "Ratio"), PropertyValue(0.5));
    for (const std::string& name : {std::string(), std::string("."), std::string(".."), std::string("a/b"),
                                    std::string(256, 'x'), std::string("bad\xff"), std::string("Card")})
        EXPECT_FALSE(machine.addVolume(name, VolumeKind::ssd, false, {}).ok) << name;

    MachineResult ejected = machine.eject("/Volumes/Stick/");
    ASSERT_TRUE(ejected.ok) << ejected.message;
    EXPECT_EQ(ejected.announcements, std::vector<std::string>{"NSWorkspaceDidUnmountNotification"});
    EXPECT_FALSE(machine.eject("/Volumes/Stick").ok);

    ASSERT_TRUE(machine.removeVolume("disk5s1").ok);
    EXPECT_FALSE(exists(machine.volumesFolder() + "/Card"));
    EXPECT_FALSE(machine.mount("Card").ok);
    EXPECT_FALSE(machine.removeVolume("Card").ok);
    ASSERT_TRUE(machine.removeVolume("Stick").ok);
    EXPECT_TRUE(machine.state().volumes.empty());
    EXPECT_TRUE(QDir(QString::fromStdString(machine.disksFolder())).isEmpty());
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

TEST_F(MachineTest, AssertionsAreHeldUntilReleasedOrTheirProcessEnds) {
    pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ProcessIdentity ended = ProcessIdentity::of(child);
    ::waitpid(child, nullptr, 0);

    SimPowerAssertions assertions(machine);
    auto mine = assertions.create("PreventUserIdleSystemSleep", 255, "mine");
    auto theirs = machine.createAssertion("PreventUserIdleDisplaySleep", 255, "theirs", ended);
    ASSERT_TRUE(mine.returnCode == 0 && theirs);
    EXPECT_NE(mine.assertionID, *theirs);
    EXPECT_NE(assertions.create("", 255, "no type").returnCode, 0);
    std::vector<Assertion> live = machine.liveAssertions();
    ASSERT_EQ(live.size(), 1u);
    EXPECT_EQ(live[0].name, "mine");
    EXPECT_EQ(assertions.release(mine.assertionID), 0);
    EXPECT_NE(assertions.release(mine.assertionID), 0);
    EXPECT_TRUE(machine.liveAssertions().empty());
    EXPECT_FALSE((ProcessIdentity{::getpid(), 1}.isAlive())) << "a recycled process id is not the same process";
}

TEST_F(MachineTest, NotificationCenterCallsObserversOfTheNameInOrder) {
    LocalNotificationCenter center;
    std::vector<std::string> calls;
    NotificationCenter::ObserverId second = 0;
    center.addObserver("a", [&] {
        calls.push_back("first");
        center.removeObserver(second); // removing during a post does not disturb it
    });
    second = center.addObserver("a", [&] { calls.push_back("second"); });
    center.addObserver("b", [&] { calls.push_back("other"); });
    center.post("a");
    center.post("a");
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "second", "first"}));
}

TEST_F(MachineTest, AuthorisationIsAskedOnceAndAnsweredByTheSimulatedUser) {
    SimUserNotificationCenter center(machine, runtime);
    set([](MachineState& state) { state.userAllowsNotifications = false; });
    std::optional<bool> granted;
    std::atomic<bool> onMain{true};
    auto request = [&] {
        center.requestAuthorization(6, [&](bool answer, UserNotificationCenter::ErrorText error) {
            onMain = runtime.isMainThread();
            EXPECT_FALSE(error);
            granted = answer;
        });
        runtime.runUntilIdle();
    };
    request();
    EXPECT_EQ(granted, false);
    EXPECT_FALSE(onMain) << "completions come from the service's own threads";
    EXPECT_EQ(machine.state().notificationAuthorization, 1);

    // Decided once: a later request does not ask again.
    set([](MachineState& state) { state.userAllowsNotifications = true; });
    request();
    EXPECT_EQ(granted, false);

    set([](MachineState& state) { state.notificationAuthorization = 3; });
    std::optional<AuthorizationStatus> status;
    center.getAuthorizationStatus([&](AuthorizationStatus value) { status = value; });
    request();
    EXPECT_EQ(status, AuthorizationStatus::provisional);
    EXPECT_EQ(granted, true);
}

struct Delegate : UserNotificationCenterDelegate {
    std::atomic<bool> onMain{false};
    test::VirtualRuntime* runtime = nullptr;
    unsigned willPresentNotification(const NotificationRequest&) override {
        onMain = runtime->isMainThread();
        return 19;
    }
};

TEST_F(MachineTest, AddedNotificationsArePresentedThroughTheDelegateWhileItLives) {
    SimUserNotificationCenter center(machine, runtime);
    auto delegate = std::make_shared<Delegate>();
    delegate->runtime = &runtime;
    center.setDelegate(delegate);
    int completions = 0;
    center.add({"id-1", "First", "", true}, [&](auto error) { completions += !error; });
    runtime.runUntilIdle();
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(delegate->onMain);

    delegate.reset(); // held weakly: no presentation once it is gone
    center.add({"id-2", "Second", "", true}, nullptr);
    runtime.runUntilIdle();
    auto posted = machine.notifications();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].presentationOptions, 19u);
    EXPECT_FALSE(posted[1].presentationOptions);
}

TEST_F(MachineTest, SystemPowerAnswersOnlyItsOwnPortWithAMessageAndByItselfOnceDeregistered) {
    std::vector<std::intptr_t> answered;
    SimSystemPower power([&](std::intptr_t argument) { answered.push_back(argument); });
    int messages = 0;
    PowerRegistration registration = power.registerForSystemPower([&](std::uint32_t, std::intptr_t) { ++messages; });
    power.deliver(0xE0000280, 9);
    power.allowPowerChange(registration.rootPowerPort + 1, 9); // another port: not ours
    power.allowPowerChange(registration.rootPowerPort, 0);     // no message
    EXPECT_TRUE(answered.empty());
    power.allowPowerChange(registration.rootPowerPort, 9);
    EXPECT_EQ(answered, std::vector<std::intptr_t>{9});

    power.destroyNotificationPort(registration.notificationPort);
    power.deregisterForSystemPower(registration.notifierObject);
    power.deliver(0xE0000280, 11);
    EXPECT_EQ(messages, 1);
    EXPECT_EQ(answered, (std::vector<std::intptr_t>{9, 11}));
}

TEST_F(MachineTest, WorkspaceAnnouncesItsEjectOnTheMainQueue) {
    SimWorkspace workspace(machine, runtime);
    ASSERT_TRUE(machine.addVolume("Free", VolumeKind::usb, false, {}).ok);
    int unmounts = 0;
    workspace.notificationCenter().addObserver("NSWorkspaceDidUnmountNotification", [&] {
        EXPECT_TRUE(runtime.isMainThread());
        ++unmounts;
    });
    std::optional<std::string> error;
    std::thread background([&] { error = workspace.unmountAndEjectDevice("/Volumes/Free"); });
    background.join();
    EXPECT_FALSE(error);
    EXPECT_EQ(unmounts, 0) << "delivered on the main queue, not on the ejecting thread";
    runtime.runUntilIdle();
    EXPECT_EQ(unmounts, 1);
}

TEST_F(MachineTest, FileSystemMapsMacPathsIntoTheMachineAndFollowsFullDiskAccess) {
    SimFileSystem files{machine};
    // Nothing climbs out of a mapped folder: ".." is resolved on the Mac path first.
    EXPECT_EQ(files.hostPath("/Volumes/../Users/sim/x"), machine.homeFolder() + "/x");
    EXPECT_EQ(files.hostPath("/Volumesque"), "/Volumesque");
    EXPECT_EQ(files.hostPath("/usr/sbin/diskutil"), machine.binFolder() + "/diskutil");
    EXPECT_TRUE(files.isExecutableFile("/usr/bin/tmutil"));
    ASSERT_TRUE(machine.addVolume("Photos", VolumeKind::usb, false, {}).ok);
    ASSERT_TRUE(machine.addVolume("Old", VolumeKind::usb, false, {}).ok);
    ASSERT_TRUE(machine.unmount("Old", false).ok);
    EXPECT_EQ(files.mountedVolumePaths(), (std::vector<std::string>{"/", "/System/Volumes/Data", "/Volumes/Photos"}));

    const std::string folder = "/Users/sim/Library/Metadata/CoreSpotlight";
    // Denied by default, although this process could read the folder.
    ASSERT_TRUE(QFileInfo(QString::fromStdString(machine.protectedFolder())).isReadable());
    FileReadResult denied = files.listDirectory(folder);
    EXPECT_EQ(denied.errorCode, 257);
    EXPECT_EQ(denied.errorDomain, "NSCocoaErrorDomain");
    EXPECT_EQ(files.readFile(folder + "/index").errorCode, 257);
    EXPECT_FALSE(files.writeFileAtomically(folder + "/x", "no")) << "denied access covers writes too";
    EXPECT_TRUE(files.exists(folder));
    ASSERT_TRUE(machine.setFullDiskAccess(FullDiskAccess::granted));
    EXPECT_TRUE(files.listDirectory(folder).ok);
    ASSERT_TRUE(machine.setFullDiskAccess(FullDiskAccess::missing));
    EXPECT_FALSE(files.exists(folder));
    EXPECT_EQ(files.listDirectory(folder).errorCode, 260);
}

TEST(AppLink, SendsALineAndReadsWholeMessagesUntilTheApplicationCloses) {
    QTemporaryDir dir;
    QLocalServer server;
    ASSERT_TRUE(server.listen(dir.path() + "/app.sock"));
    AppLink link(server.fullServerName().toStdString());
    ASSERT_TRUE(link.connect(2000));
    ASSERT_TRUE(server.waitForNewConnection(5000));
    QLocalSocket* app = server.nextPendingConnection();
    EXPECT_TRUE(link.send(AppEvent::ping()));
    while (!app->canReadLine() && app->waitForReadyRead(5000)) {
    }
    EXPECT_EQ(app->readLine(), "{\"event\":\"ping\"}\n");

    auto write = [&](const char* bytes) {
        app->write(bytes);
        ASSERT_TRUE(app->waitForBytesWritten(5000));
    };
    write("{\"event\":\"allowPow");
    EXPECT_FALSE(link.receive(0)) << "half a line is no message";
    write("erChange\",\"argument\":7}\nnot json\n[1]\n{\"event\":\"pong\",\"pid\":3}\n");
    auto first = link.receive(5000);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->value("event").toString(), "allowPowerChange");
    EXPECT_EQ(first->value("argument").toInt(), 7);
    auto second = link.receive(5000); // the lines that are no message are passed over
    ASSERT_TRUE(second);
    EXPECT_EQ(second->value("event").toString(), "pong");

    app->disconnectFromServer();
    EXPECT_FALSE(link.receive(5000));
    EXPECT_FALSE(link.isConnected());
    EXPECT_FALSE(link.send(AppEvent::ping()));
}

TEST(AppLink, NoApplicationMeansNoConnection) {
    QTemporaryDir dir;
    EXPECT_FALSE(AppLink::deliver(dir.path().toStdString() + "/app.sock", AppEvent::defaultsChanged()));
    // A path longer than a socket address can hold fails without overrunning it.
    EXPECT_FALSE(AppLink(dir.path().toStdString() + "/" + std::string(200, 'x')).connect(100));
}

} // namespace
