#include "SimulatedDisks.h"

#include <QFile>
#include <QFileInfo>

using namespace tallowmere;
using namespace tallowmere::test;

namespace {

bool hostFileHas(const std::string& path, const QByteArray& contents) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) && file.readAll() == contents;
}

bool writeHostFile(const std::string& path, const QByteArray& contents) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

TEST_F(SimulatedDisksTest, EveryKindOfVolumeIsClassifiedFromWhatDiskutilReports) {
    struct Plugged {
        std::string name;
        std::vector<std::string> options;
        VolumeClassification expected;
    };
    const std::vector<Plugged> volumes = {
        {"Stick", {"--kind", "usb"}, {true, DiskType::hardDisksAndSSDs}},
        {"Fast SSD", {"--kind", "ssd"}, {true, DiskType::hardDisksAndSSDs}},
        {"Camera Card", {"--kind", "sd-internal"}, {true, DiskType::sdCards}},
        // An external reader says "Internal" false: the external flag wins over the card's media name.
        {"Reader Card", {"--kind", "sd-usb"}, {true, DiskType::hardDisksAndSSDs}},
        {"Bare Reader Card", {"--kind", "sd-usb", "--info", "Internal="}, {true, DiskType::sdCards}},
        {"Installer", {"--kind", "dmg"}, {true, DiskType::diskImages}},
        {"Team Share", {"--kind", "network"}, {true, DiskType::networkDrives}},
        {"Movie Night", {"--kind", "optical"}, {true, DiskType::dvdsAndCDs}},
        // A fixed internal disk, and a volume that only borrows the startup disk's name.
        {"Fixed Internal", {"--kind", "usb", "--info", "Internal=true"}, {}},
        {"Macintosh HD", {"--kind", "usb"}, {}},
    };
    std::map<std::string, std::string> devices;
    for (const Plugged& volume : volumes)
        devices[volume.name] = plug(volume.name, volume.options);

    for (const Plugged& volume : volumes)
        EXPECT_EQ(manager->classifyVolume(pathOf(volume.name)), volume.expected) << volume.name;

    // One enumeration per kind finds exactly the volumes of that kind; the startup disk is never looked at.
    for (DiskType kind : allDiskTypes) {
        std::set<std::string> expected;
        for (const Plugged& volume : volumes)
            if (volume.expected.kind == kind)
                expected.insert(pathOf(volume.name));
        EXPECT_EQ(asSet(manager->externalVolumeURLs({kind})), expected) << static_cast<int>(kind);
    }
    EXPECT_EQ(asSet(manager->externalVolumeURLs(everyKind)),
              pathsOf({"Stick", "Fast SSD", "Camera Card", "Reader Card", "Bare Reader Card", "Installer", "Team Share",
                       "Movie Night"}));
    EXPECT_TRUE(manager->externalVolumeURLs({}).empty());
    for (const ProcessRequest& request : processes.requests())
        for (const std::string& argument : request.arguments)
            EXPECT_TRUE(argument != "/" && !argument.starts_with("/System")) << argument;

    // Selections carry the device identifier the machine assigned.
    for (const VolumeSelection& selection : manager->volumeSelections({DiskType::sdCards, DiskType::diskImages}))
        EXPECT_EQ(selection, (VolumeSelection{devices[selection.name], selection.name, pathOf(selection.name)}));
    EXPECT_EQ(manager->volumeSelections({DiskType::sdCards, DiskType::diskImages}).size(), 3u);
}

TEST_F(SimulatedDisksTest, EjectPathEjectsTheAllowedVolumesAndTheyCannotBeMountedAgain) {
    const std::string stick = plug("Stick", {"--kind", "usb"});
    const std::string installer = plug("Installer", {"--kind", "dmg"});
    const std::string spare = plug("Spare", {"--kind", "ssd"});
    const std::string share = plug("Team Share", {"--kind", "network"});
    // The user left "Spare" out; "Team Share" is of a kind not asked for.
    manager->setVolume(spare, false, std::vector<std::string>{stick, installer, spare, share});

    auto ejected = ejectBatch({DiskType::hardDisksAndSSDs, DiskType::diskImages}, false, true);
    ASSERT_TRUE(ejected);
    EXPECT_EQ(asSet(*ejected), pathsOf({"Stick", "Installer"}));
    EXPECT_EQ(stateOf(stick), "ejected");
    EXPECT_EQ(stateOf(installer), "ejected");
    EXPECT_EQ(stateOf(spare), "mounted");
    EXPECT_EQ(stateOf(share), "mounted");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(hostPathOf("Stick"))));
    EXPECT_TRUE(processes.argumentsOf("unmount").empty()); // the workspace ejected them, not diskutil

    EXPECT_EQ(sortedByName(manager->lastEjectedDisks()),
              (std::vector<EjectedDiskInfo>{{pathOf("Installer"), installer, "Installer"},
                                            {pathOf("Stick"), stick, "Stick"}}));

    // An ejected disk is gone until it is plugged in again: every attempt of every pass fails, and the remount
    // ends once, with nothing.
    auto remounted = remount();
    ASSERT_TRUE(remounted);
    EXPECT_TRUE(remounted->empty());
    EXPECT_TRUE(manager->lastEjectedDisks().empty());
    EXPECT_EQ(stateOf(stick), "ejected");
    EXPECT_GE(processes.argumentsOf("mountDisk").size(), 2u * 6u * 4u);
}

TEST_F(SimulatedDisksTest, UnmountPathUnmountsABatchAndRemountBringsItBackWithItsFiles) {
    setUnmountInsteadOfEject(true);
    std::atomic<int> unmounts{0}, mounts{0};
    platform.workspace.notificationCenter().addObserver(NotificationName::didUnmount, [&] { ++unmounts; });
    platform.workspace.notificationCenter().addObserver(NotificationName::didMount, [&] { ++mounts; });
    const std::vector<std::string> names = {"Photos", "Archive", "Scratch"};
    std::vector<std::string> devices;
    for (const std::string& name : names) {
        devices.push_back(plug(name, {"--kind", name == "Archive" ? "ssd" : "usb"}));
        ASSERT_TRUE(writeHostFile(hostPathOf(name) + "/note.txt", QByteArray::fromStdString("kept on " + name)));
    }
    ASSERT_TRUE(pumpUntil([&] { return mounts.load() == 3; }));

    auto ejected = ejectBatch(everyKind, false);
    ASSERT_TRUE(ejected);
    EXPECT_EQ(asSet(*ejected), pathsOf({"Photos", "Archive", "Scratch"}));
    for (const std::string& device : devices)
        EXPECT_EQ(stateOf(device), "unmounted");
    for (const std::vector<std::string>& arguments : processes.argumentsOf("unmount"))
        EXPECT_EQ(arguments.size(), 2u) << arguments.back(); // never forced, never retried by identifier
    EXPECT_EQ(processes.argumentsOf("unmount").size(), 3u);
    EXPECT_TRUE(pumpUntil([&] { return unmounts.load() == 3; }));
    EXPECT_EQ(sortedByName(manager->lastEjectedDisks()),
              (std::vector<EjectedDiskInfo>{{pathOf("Archive"), devices[1], "Archive"},
                                            {pathOf("Photos"), devices[0], "Photos"},
                                            {pathOf("Scratch"), devices[2], "Scratch"}}));

    auto remounted = remount();
    ASSERT_TRUE(remounted);
    EXPECT_EQ(asSet(*remounted), pathsOf({"Photos", "Archive", "Scratch"}));
    EXPECT_TRUE(manager->lastEjectedDisks().empty());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(stateOf(devices[i]), "mounted");
        EXPECT_TRUE(hostFileHas(hostPathOf(names[i]) + "/note.txt", QByteArray::fromStdString("kept on " + names[i])));
    }
    EXPECT_TRUE(pumpUntil([&] { return mounts.load() == 6; }));
}

TEST_F(SimulatedDisksTest, BusyVolumeFailsWithoutForceAndGoesOfflineWithForce) {
    const std::string busy = plug("Busy", {"--busy"});
    const std::string idle = plug("Idle");

    // Unmount path: the busy volume refuses both runs (mount path, then identifier) and is not recorded.
    setUnmountInsteadOfEject(true);
    auto ejected = ejectBatch(everyKind, false);
    ASSERT_TRUE(ejected);
    EXPECT_EQ(*ejected, std::vector<std::string>{pathOf("Idle")});
    EXPECT_EQ(manager->lastEjectedDisks(), (std::vector<EjectedDiskInfo>{{pathOf("Idle"), idle, "Idle"}}));
    EXPECT_EQ(stateOf(busy), "mounted");
    EXPECT_EQ(stateOf(idle), "unmounted");
    auto busyRuns = processes.argumentsOf("unmount");
    std::erase_if(busyRuns, [](const auto& arguments) { return arguments.back() == pathOf("Idle"); });
    EXPECT_EQ(busyRuns, (std::vector<std::vector<std::string>>{{"unmount", pathOf("Busy")}, {"unmount", busy}}));

    // Eject path: the workspace refuses it as well; the failed batch empties the list.
    setUnmountInsteadOfEject(false);
    ejected = ejectBatch(everyKind, false);
    ASSERT_TRUE(ejected);
    EXPECT_TRUE(ejected->empty());
    EXPECT_TRUE(manager->lastEjectedDisks().empty());
    EXPECT_EQ(stateOf(busy), "mounted");

    // Force unmounts it whatever the preference says.
    processes.clear();
    ejected = ejectBatch(everyKind, true);
    ASSERT_TRUE(ejected);
    EXPECT_EQ(*ejected, std::vector<std::string>{pathOf("Busy")});
    EXPECT_EQ(stateOf(busy), "unmounted");
    EXPECT_EQ(processes.argumentsOf("unmount"),
              (std::vector<std::vector<std::string>>{{"unmount", "force", pathOf("Busy")}}));
}

TEST_F(SimulatedDisksTest, RunningBackupIsStoppedBeforeTheVolumeIsUnmounted) {
    setUnmountInsteadOfEject(true);
    const std::string backup = plug("Time Capsule", {"--kind", "ssd"});
    ASSERT_EQ(sim.run({"tm", "start", "Time Capsule"}).exitCode, 0);

    const Seconds started = runtime.elapsed();
    auto ejected = ejectBatch(everyKind, false);
    ASSERT_TRUE(ejected);
    EXPECT_EQ(*ejected, std::vector<std::string>{pathOf("Time Capsule")});
    EXPECT_EQ(stateOf(backup), "unmounted");
    EXPECT_FALSE(sim.machine().state().timeMachineDevice);
    EXPECT_EQ(processes.argumentsOf("stopbackup").size(), 1u);
    EXPECT_EQ(processes.argumentsOf("unmount"),
              (std::vector<std::vector<std::string>>{{"unmount", pathOf("Time Capsule")}}));
    // The longer wait after a stopped backup.
    EXPECT_GE(runtime.elapsed() - started, 1.5s);
}

} // namespace
