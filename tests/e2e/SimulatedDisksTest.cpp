#include "SimulatedDisks.h"

#include <gmock/gmock.h>

using namespace tallowmere;
using namespace tallowmere::test;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;

namespace {

TEST_F(SimulatedDisksTest, EveryKindOfVolumeIsClassifiedFromWhatDiskutilReports) {
    const std::vector<std::tuple<std::string, Args, VolumeClassification>> volumes = {
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
    for (const auto& [name, options, expected] : volumes) {
        const std::string device = plug(name, options);
        if (expected.eligible && name != "No Id")
            ids.insert(device);
    }
    for (const auto& [name, options, expected] : volumes)
        EXPECT_EQ(manager->classifyVolume(pathOf(name)), expected) << name;

    // A refresh publishes on the main queue and records what it found as seen; those asked for while it runs
    // become one more.
    int published = 0;
    QObject::connect(manager.get(), &ExternalDiskManager::cachedVolumeSelectionsChanged, [&] { ++published; });
    for (int i = 0; i < 3; ++i)
        manager->refreshVolumeSelections(everyKind);
    EXPECT_TRUE(manager->cachedVolumeSelections().empty());
    EXPECT_TRUE(advanceUntil([&] { return published == 2; }));
    runtime.advance(5s);
    EXPECT_EQ(published, 2);
    std::set<std::string> publishedIds;
    for (const VolumeSelection& selection : manager->cachedVolumeSelections())
        publishedIds.insert(selection.id);
    EXPECT_EQ(publishedIds, ids);
    auto seen = stringArray(*simulated.preferences().object(ExternalDiskManager::seenVolumesKey));
    EXPECT_EQ(asSet(seen.value()), ids);
}

TEST_F(SimulatedDisksTest, EjectPathTakesTheChosenKindsOfflineAndABusyVolumeOnlyWithForce) {
    const std::string stick = plug("Stick", {"--kind", "usb"});
    const std::string installer = plug("Installer", {"--kind", "dmg"});
    const std::string share = plug("Team Share", {"--kind", "network"});
    const std::string busy = plug("Busy", {"--busy"});
    plug("No Id", {"--info", "DeviceIdentifier="});
    const std::vector<DiskType> chosen{DiskType::hardDisksAndSSDs, DiskType::diskImages};

    // The workspace ejects them; the busy volume refuses and the share is of a kind not asked for.
    setUnmountInsteadOfEject(false);
    EXPECT_EQ(asSet(ejectBatch(chosen, false)), pathsOf({"Stick", "Installer", "No Id"}));
    EXPECT_EQ(stateOf(stick), "ejected");
    EXPECT_EQ(stateOf(installer), "ejected");
    EXPECT_EQ(stateOf(busy), "mounted");
    EXPECT_EQ(stateOf(share), "mounted");
    EXPECT_THAT(manager->lastEjectedDisks(),
                UnorderedElementsAre(EjectedDiskInfo{pathOf("Installer"), installer, "Installer"},
                                     EjectedDiskInfo{pathOf("Stick"), stick, "Stick"},
                                     EjectedDiskInfo{pathOf("No Id"), "unknown", "No Id"}));

    // The unmount path is refused as well, and the refusal is not taken for a reason to force it.
    setUnmountInsteadOfEject(true);
    EXPECT_TRUE(ejectBatch(chosen, false).empty());
    EXPECT_EQ(stateOf(busy), "mounted");

    // Force takes it offline whatever the preference says.
    setUnmountInsteadOfEject(false);
    EXPECT_EQ(ejectBatch(chosen, true), std::vector<std::string>{pathOf("Busy")});
    EXPECT_EQ(stateOf(busy), "unmounted");
    EXPECT_EQ(manager->lastEjectedDisks().size(), 4u); // the earlier records stay while their volumes are offline
}

TEST_F(SimulatedDisksTest, UnmountPathStopsABackupAndRemountBringsTheBatchBack) {
    setUnmountInsteadOfEject(true);
    std::atomic<int> unmounts{0};
    platform.workspace.notificationCenter().addObserver(NotificationName::didUnmount, [&] { ++unmounts; });
    // diskutil names no device for the last one: it is unmounted by its path alone and recorded without one.
    const std::vector<std::string> names = {"Photos", "Archive", "Scratch", "No Id"};
    std::vector<std::string> devices;
    for (const std::string& name : names)
        devices.push_back(plug(name, {"--kind", name == "Archive" ? "ssd" : "usb", "--info",
                                      name == "No Id" ? "DeviceIdentifier=" : "Ejectable=true"}));
    ASSERT_EQ(sim.run({"tm", "start", "Archive"}).exitCode, 0);

    const Seconds started = runtime.elapsed();
    EXPECT_EQ(asSet(ejectBatch(everyKind, false)), pathsOf({"Photos", "Archive", "Scratch", "No Id"}));
    EXPECT_GE(runtime.elapsed() - started, 1.5s) << "the longer wait after a stopped backup";
    EXPECT_FALSE(sim.machine().state().timeMachineDevice);
    for (const std::string& device : devices)
        EXPECT_EQ(stateOf(device), "unmounted");
    EXPECT_TRUE(waitUntil([&] {
        runtime.runUntilIdle();
        return unmounts.load() == 4;
    }));
    EXPECT_THAT(manager->lastEjectedDisks(),
                UnorderedElementsAre(EjectedDiskInfo{pathOf("Photos"), devices[0], "Photos"},
                                     EjectedDiskInfo{pathOf("Archive"), devices[1], "Archive"},
                                     EjectedDiskInfo{pathOf("Scratch"), devices[2], "Scratch"},
                                     EjectedDiskInfo{pathOf("No Id"), "", "No Id"}));

    EXPECT_EQ(asSet(remount()), pathsOf({"Photos", "Archive", "Scratch", "No Id"}));
    EXPECT_TRUE(manager->lastEjectedDisks().empty());
    for (const std::string& device : devices)
        EXPECT_EQ(stateOf(device), "mounted");
}

TEST_F(SimulatedDisksTest, OddVolumeNamesAreSingleArgumentsThroughEjectRemountAndIdentifiers) {
    const std::vector<std::string> names = {"My Passport",    "it's \"quoted\"",
                                            "new\nline",      " padded ",
                                            "Ünïcødé 写真 📷", "$(touch made-by-a-shell) `ticks` a|b & c > d"};
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
