#include "DiskManagerFixture.h"

#include <QObject>

using namespace tallowmere;
using namespace tallowmere::test;

namespace {

using Ids = std::vector<std::string>;

class AllowlistTest : public DiskManagerTest {
protected:
    AllowlistTest() {
        QObject::connect(manager.get(), &ExternalDiskManager::cachedVolumeSelectionsChanged, [this] { ++republished; });
    }
    std::optional<Ids> stored(const char* key) {
        auto value = preferences.object(key);
        return value ? stringArray(*value) : std::nullopt;
    }
    int republished = 0;
};

TEST_F(AllowlistTest, AnUnusableListIncludesEveryVolumeAndAUsableOneKeepsTheAllowedInTheirOrder) {
    preferences.setArray(ExternalDiskManager::allowlistKey, PropertyArray{"disk4s1", std::int64_t(7)});
    EXPECT_TRUE(manager->isIncluded("disk9s9"));
    EXPECT_EQ(manager->filterByAllowlist({"/Volumes/A"}, true), Ids{"/Volumes/A"});

    // By device identifier, or else by name.
    addUsbVolume("A", "disk4s1");
    addUsbVolume("B", "disk5s1");
    failInfo("/Volumes/No Id");
    addUsbVolume("C", "disk6s1");
    addUsbVolume("Blank", "");
    preferences.setArray(ExternalDiskManager::allowlistKey, PropertyArray{"disk6s1", "No Id", "disk4s1", "Blank"});
    EXPECT_EQ(manager->filterByAllowlist({"/Volumes/C", "/Volumes/B", "/Volumes/No Id", "/Volumes/A", "/Volumes/Blank"},
                                         true),
              (Ids{"/Volumes/C", "/Volumes/No Id", "/Volumes/A", "/Volumes/Blank"}));
}

TEST_F(AllowlistTest, TakingVolumesBackAndLeavingOutTheLastIncludedOne) {
    const Ids all{"disk4s1", "disk5s1", "disk6s1"};
    preferences.setArray(ExternalDiskManager::allowlistKey, PropertyArray{"disk4s1", "disk6s1"});
    manager->setVolume("disk5s1", true, all);
    EXPECT_EQ(stored(ExternalDiskManager::allowlistKey), all);
    EXPECT_EQ(republished, 0); // on the main queue, later
    runtime.runUntilIdle();
    EXPECT_EQ(republished, 1);

    // Removing the last included volume includes everything again.
    preferences.setArray(ExternalDiskManager::allowlistKey, PropertyArray{"disk4s1"});
    manager->setVolume("disk4s1", false, all);
    EXPECT_EQ(stored(ExternalDiskManager::allowlistKey), Ids{});
    EXPECT_TRUE(manager->isIncluded("disk5s1"));
    // Without the list of all volumes, including one into the empty list names just that one.
    manager->setVolume("disk5s1", true, std::nullopt);
    EXPECT_EQ(stored(ExternalDiskManager::allowlistKey), Ids{"disk5s1"});
}

TEST_F(AllowlistTest, NewlySeenVolumesJoinOnlyAnExplicitAllowlist) {
    // Everything included: a new volume is only seen (an unusable seen list is replaced).
    preferences.setArray(ExternalDiskManager::seenVolumesKey, PropertyArray{std::int64_t(1)});
    manager->recordSeenVolumes({"disk7s1"});
    EXPECT_EQ(stored(ExternalDiskManager::seenVolumesKey), Ids{"disk7s1"});
    EXPECT_FALSE(preferences.hasObject(ExternalDiskManager::allowlistKey));
    runtime.runUntilIdle();
    EXPECT_EQ(republished, 0);

    preferences.setArray(ExternalDiskManager::allowlistKey, PropertyArray{"disk4s1"});
    preferences.setArray(ExternalDiskManager::seenVolumesKey, PropertyArray{"disk4s1", "disk5s1"});
    manager->recordSeenVolumes({"disk4s1", "disk5s1", "disk6s1"});
    EXPECT_EQ(stored(ExternalDiskManager::seenVolumesKey), (Ids{"disk4s1", "disk5s1", "disk6s1"}));
    EXPECT_EQ(stored(ExternalDiskManager::allowlistKey), (Ids{"disk4s1", "disk6s1"}));
    runtime.runUntilIdle();
    EXPECT_EQ(republished, 1);
    manager->recordSeenVolumes({"disk5s1"}); // nothing new: the allowlist is left alone
    EXPECT_EQ(stored(ExternalDiskManager::allowlistKey), (Ids{"disk4s1", "disk6s1"}));
    runtime.runUntilIdle();
    EXPECT_EQ(republished, 1);
}

} // namespace
