#include "SimulatedDisks.h"

#include <gmock/gmock.h>

#include <QFile>

using namespace tallowmere;
using namespace tallowmere::test;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;

namespace {

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
        {"No Id", {"--info", "DeviceIdentifier="}, {true, DiskType::hardDisksAndSSDs}},
    };
    std::set<std::string> ids{"No Id"}; // a volume without a device identifier goes by its name
    for (const Plugged& volume : volumes) {
        const std::string device = plug(volume.name, volume.options);
        if (volume.expected.eligible && volume.name != "No Id")
            ids.insert(device);
    }
    for (const Plugged& volume : volumes)
        EXPECT_EQ(manager->classifyVolume(pathOf(volume.name)), volume.expected) << volume.name;

    // A refresh publishes on the main queue, once, and records what it found as seen.
    int published = 0;
    QObject::connect(manager.get(), &ExternalDiskManager::cachedVolumeSelectionsChanged, [&] { ++published; });
    manager->refreshVolumeSelections(everyKind);
    EXPECT_TRUE(manager->cachedVolumeSelections().empty());
    EXPECT_TRUE(advanceUntil([&] { return published > 0; }));
    std::set<std::string> publishedIds;
    for (const VolumeSelection& selection : manager->cachedVolumeSelections())
        publishedIds.insert(selection.id);
    EXPECT_EQ(publishedIds, ids);
    auto seen = stringArray(*simulated.preferences().object(ExternalDiskManager::seenVolumesKey));
    EXPECT_EQ(asSet(seen.value()), ids);

    // One enumeration per kind finds exactly the volumes of that kind.
    for (DiskType kind : allDiskTypes) {
        std::set<std::string> expected;
        for (const Plugged& volume : volumes)
            if (volume.expected.kind == kind)
                expected.insert(pathOf(volume.name));
        EXPECT_EQ(asSet(manager->externalVolumeURLs({kind})), expected) << static_cast<int>(kind);
    }
}

TEST_F(SimulatedDisksTest, EjectPathTakesTheChosenKindsOfflineAndABusyVolumeOnlyWithForce) {
    const std::string stick = plug("Stick", {"--kind", "usb"});
    const std::string installer = plug("Installer", {"--kind", "dmg"});
    const std::string share = plug("Team Share", {"--kind", "network"});
    const std::string busy = plug("Busy", {"--busy"});
    const std::vector<DiskType> chosen{DiskType::hardDisksAndSSDs, DiskType::diskImages};

    // The workspace ejects them; the busy volume refuses and the share is of a kind not asked for.
    EXPECT_EQ(asSet(ejectBatch(chosen, false)), pathsOf({"Stick", "Installer"}));
    EXPECT_EQ(stateOf(stick), "ejected");
    EXPECT_EQ(stateOf(installer), "ejected");
    EXPECT_EQ(stateOf(busy), "mounted");
    EXPECT_EQ(stateOf(share), "mounted");
    EXPECT_THAT(manager->lastEjectedDisks(),
                UnorderedElementsAre(EjectedDiskInfo{pathOf("Installer"), installer, "Installer"},
                                     EjectedDiskInfo{pathOf("Stick"), stick, "Stick"}));

    // The unmount path is refused as well, and the refusal is not taken for a reason to force it.
    setUnmountInsteadOfEject(true);
    EXPECT_TRUE(ejectBatch(chosen, false).empty());
    EXPECT_EQ(stateOf(busy), "mounted");

    // Force takes it offline whatever the preference says.
    setUnmountInsteadOfEject(false);
    EXPECT_EQ(ejectBatch(chosen, true), std::vector<std::string>{pathOf("Busy")});
    EXPECT_EQ(stateOf(busy), "unmounted");
    EXPECT_EQ(manager->lastEjectedDisks().size(), 3u); // the earlier records stay while their volumes are offline
}

TEST_F(SimulatedDisksTest, UnmountPathStopsABackupAndRemountBringsTheBatchBackWithItsFiles) {
    setUnmountInsteadOfEject(true);
    std::atomic<int> unmounts{0};
    platform.workspace.notificationCenter().addObserver(NotificationName::didUnmount, [&] { ++unmounts; });
    const std::vector<std::string> names = {"Photos", "Archive", "Scratch"};
    std::vector<std::string> devices;
    for (const std::string& name : names) {
        devices.push_back(plug(name, {"--kind", name == "Archive" ? "ssd" : "usb"}));
        QFile note(QString::fromStdString(sim.folder() + pathOf(name) + "/note.txt"));
        ASSERT_TRUE(note.open(QIODevice::WriteOnly) && note.write(name.c_str()) > 0);
    }
    ASSERT_EQ(sim.run({"tm", "start", "Archive"}).exitCode, 0);

    const Seconds started = runtime.elapsed();
    EXPECT_EQ(asSet(ejectBatch(everyKind, false)), pathsOf({"Photos", "Archive", "Scratch"}));
    EXPECT_GE(runtime.elapsed() - started, 1.5s) << "the longer wait after a stopped backup";
    EXPECT_FALSE(sim.machine().state().timeMachineDevice);
    for (const std::string& device : devices)
        EXPECT_EQ(stateOf(device), "unmounted");
    EXPECT_TRUE(waitUntil([&] {
        runtime.runUntilIdle();
        return unmounts.load() == 3;
    }));
    EXPECT_THAT(manager->lastEjectedDisks(),
                UnorderedElementsAre(EjectedDiskInfo{pathOf("Photos"), devices[0], "Photos"},
                                     EjectedDiskInfo{pathOf("Archive"), devices[1], "Archive"},
                                     EjectedDiskInfo{pathOf("Scratch"), devices[2], "Scratch"}));

    EXPECT_EQ(asSet(remount()), pathsOf({"Photos", "Archive", "Scratch"}));
    EXPECT_TRUE(manager->lastEjectedDisks().empty());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(stateOf(devices[i]), "mounted");
        QFile note(QString::fromStdString(sim.folder() + pathOf(names[i]) + "/note.txt"));
        EXPECT_TRUE(note.open(QIODevice::ReadOnly) && note.readAll().toStdString() == names[i]) << names[i];
    }
}

TEST_F(SimulatedDisksTest, OddVolumeNamesAreSingleArgumentsThroughEjectRemountAndIdentifiers) {
    const std::vector<std::string> names = {"My Passport",
                                            "it's \"quoted\"",
                                            "-leading-dash",
                                            "--double dash",
                                            "force",
                                            "new\nline",
                                            "tab\there",
                                            " padded ",
                                            "Ünïcødé 写真 📷",
                                            "back\\slash",
                                            "$(touch made-by-a-shell)",
                                            "`touch ticks`; a|b & c > redirected"};
    std::vector<std::string> devices;
    std::set<std::string> paths;
    std::vector<VolumeSelection> selections;
    std::vector<EjectedDiskInfo> records;
    for (const std::string& name : names) {
        devices.push_back(plug(name));
        paths.insert(pathOf(name));
        selections.push_back({devices.back(), name, pathOf(name)});
        records.push_back({pathOf(name), devices.back(), name});
    }
    EXPECT_THAT(manager->volumeSelections(everyKind), UnorderedElementsAreArray(selections));

    setUnmountInsteadOfEject(true);
    EXPECT_EQ(asSet(ejectBatch(everyKind, false)), paths);
    EXPECT_THAT(manager->lastEjectedDisks(), UnorderedElementsAreArray(records));
    EXPECT_EQ(asSet(remount()), paths);
    setUnmountInsteadOfEject(false);
    EXPECT_EQ(asSet(ejectBatch(everyKind, false)), paths);
    for (const std::string& device : devices)
        EXPECT_EQ(stateOf(device), "ejected") << device;
}

} // namespace
