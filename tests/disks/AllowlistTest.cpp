#include "DiskManagerFixture.h"

#include <QObject>

using namespace tallowmere;
using namespace tallowmere::test;

namespace {

class AllowlistTest : public DiskManagerTest {
protected:
    AllowlistTest() {
        QObject::connect(manager.get(), &ExternalDiskManager::cachedVolumeSelectionsChanged, [this] { ++republished; });
    }
    std::optional<std::vector<std::string>> stored(const char* key) {
        auto value = preferences.object(key);
        return value ? stringArray(*value) : std::nullopt;
    }
    using Ids = std::vector<std::string>;
    int republished = 0;
};

TEST_F(AllowlistTest, NothingStoredIncludesEveryVolumeWithoutAskingDiskutil) {
    const Ids urls{"/Volumes/A", "/Volumes/B"};
    EXPECT_EQ(manager->filterByAllowlist(urls, true), urls);
    EXPECT_TRUE(manager->isIncluded("disk4s1"));

    preferences.setArray(ExternalDiskManager::allowlistKey, PropertyArray{"disk4s1"});
    EXPECT_EQ(manager->filterByAllowlist(urls, false), urls);
    EXPECT_TRUE(processes.calls().empty());

    // A stored list with anything but text in it counts as empty.
    preferences.setArray(ExternalDiskManager::allowlistKey, PropertyArray{"disk4s1", std::int64_t(7)});
    EXPECT_EQ(manager->filterByAllowlist(urls, true), urls);
    EXPECT_TRUE(manager->isIncluded("disk9s9"));
    preferences.setString(ExternalDiskManager::allowlistKey, "disk4s1");
    EXPECT_TRUE(manager->isIncluded("disk9s9"));
    EXPECT_TRUE(processes.calls().empty());
}

TEST_F(AllowlistTest, FilterKeepsAllowedVolumesByIdentifierOrNameInOrder) {
    addUsbVolume("A", "disk4s1");
    addUsbVolume("B", "disk5s1");
    failInfo("/Volumes/No Id");
    addUsbVolume("C", "disk6s1");
    preferences.setArray(ExternalDiskManager::allowlistKey, PropertyArray{"disk6s1", "No Id", "disk4s1"});
    EXPECT_EQ(manager->filterByAllowlist({"/Volumes/C", "/Volumes/B", "/Volumes/No Id", "/Volumes/A"}, true),
              (Ids{"/Volumes/C", "/Volumes/No Id", "/Volumes/A"}));
}

TEST_F(AllowlistTest, LeavingOneVolumeOutOfEverythingKeepsTheOthers) {
    manager->setVolume("disk5s1", false, Ids{"disk4s1", "disk5s1", "disk6s1"});
    EXPECT_EQ(stored(ExternalDiskManager::allowlistKey), (Ids{"disk4s1", "disk6s1"}));
    EXPECT_FALSE(manager->isIncluded("disk5s1"));
    EXPECT_EQ(republished, 0); // on the main queue, later
    runtime.runUntilIdle();
    EXPECT_EQ(republished, 1);

    manager->setVolume("disk5s1", true, Ids{"disk4s1", "disk5s1", "disk6s1"});
    EXPECT_EQ(stored(ExternalDiskManager::allowlistKey), (Ids{"disk4s1", "disk5s1", "disk6s1"}));
}

TEST_F(AllowlistTest, RemovingTheLastIncludedVolumeIncludesEverythingAgain) {
    preferences.setArray(ExternalDiskManager::allowlistKey, PropertyArray{"disk4s1"});
    manager->setVolume("disk4s1", false, Ids{"disk4s1", "disk5s1"});
    EXPECT_EQ(stored(ExternalDiskManager::allowlistKey), Ids{});
    EXPECT_TRUE(manager->isIncluded("disk5s1"));

    // Without the list of all volumes, including one from the empty list names just that one.
    manager->setVolume("disk5s1", true, std::nullopt);
    EXPECT_EQ(stored(ExternalDiskManager::allowlistKey), Ids{"disk5s1"});
}

TEST_F(AllowlistTest, NewlySeenVolumesJoinAnExplicitAllowlist) {
    preferences.setArray(ExternalDiskManager::allowlistKey, PropertyArray{"disk4s1"});
    preferences.setArray(ExternalDiskManager::seenVolumesKey, PropertyArray{"disk4s1", "disk5s1"});
    manager->recordSeenVolumes({"disk4s1", "disk5s1", "disk6s1"});
    EXPECT_EQ(stored(ExternalDiskManager::seenVolumesKey), (Ids{"disk4s1", "disk5s1", "disk6s1"}));
    EXPECT_EQ(stored(ExternalDiskManager::allowlistKey), (Ids{"disk4s1", "disk6s1"}));
    runtime.runUntilIdle();
    EXPECT_EQ(republished, 1);

    // Nothing new: the allowlist is left alone.
    manager->recordSeenVolumes({"disk5s1"});
    EXPECT_EQ(stored(ExternalDiskManager::allowlistKey), (Ids{"disk4s1", "disk6s1"}));
    runtime.runUntilIdle();
    EXPECT_EQ(republished, 1);
}

TEST_F(AllowlistTest, WithEverythingIncludedANewVolumeIsOnlySeen) {
    preferences.setArray(ExternalDiskManager::seenVolumesKey, PropertyArray{std::int64_t(1)}); // overwritten
    manager->recordSeenVolumes({"disk7s1"});
    EXPECT_EQ(stored(ExternalDiskManager::seenVolumesKey), Ids{"disk7s1"});
    EXPECT_FALSE(preferences.hasObject(ExternalDiskManager::allowlistKey));
    runtime.runUntilIdle();
    EXPECT_EQ(republished, 0);
}

} // namespace
