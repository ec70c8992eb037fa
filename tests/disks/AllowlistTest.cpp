#include "DiskManagerFixture.h"

#include "base/Preferences.h"

#include <QObject>

#include <set>

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

TEST_F(AllowlistTest, TheAutomaticEjectTakesTheIncludedVolumesByIdentifierOrNameAndAnUnusableListIncludesAll) {
    preferences.setBool(PreferenceKey::unmountInsteadOfEject, true);
    addUsbVolume("A", "disk4s1");
    addUsbVolume("B", "disk5s1");
    addUsbVolume("C", "disk6s1");
    addUsbVolume("Blank", "");
    fileSystem.setMountedVolumePaths([&] {
        auto paths = *fileSystem.mountedVolumePaths();
        paths.push_back("/Volumes/Hung");
        return paths;
    }());
    processes.on({"info", "-plist", "/Volumes/Hung"}, FakeProcessRunner::timedOut());
    auto unmountedWith = [this](PropertyArray allowlist) {
        preferences.setArray(ExternalDiskManager::allowlistKey, std::move(allowlist));
        processes.clearCalls();
        manager->ejectExternalDisks(allKinds, {.onlyAllowed = true}, nullptr);
        runtime.advance(5s);
        std::set<std::string> names;
        for (const ProcessRequest& call : processes.calls())
            if (isDiskutil(call, "unmount") && call.arguments.back().starts_with("/Volumes/"))
                names.insert(lastPathComponent(call.arguments.back()));
        return names;
    };
    EXPECT_EQ(unmountedWith({"disk6s1", "No Id", "disk4s1", "Blank"}), (std::set<std::string>{"A", "Blank", "C"}));
    EXPECT_TRUE(log.contains("Batch found A, Blank, C to take offline; left out by the allowlist: B; diskutil did not "
                             "answer about 1 volume"));
    EXPECT_EQ(unmountedWith({"disk4s1", std::int64_t(7)}), (std::set<std::string>{"A", "B", "Blank", "C"}));
    EXPECT_TRUE(manager->isIncluded("disk9s9"));
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
    VolumeAllowlist allowlist(preferences);
    preferences.setArray(ExternalDiskManager::seenVolumesKey, PropertyArray{std::int64_t(1)});
    EXPECT_FALSE(allowlist.recordSeenVolumes({"disk7s1"}));
    EXPECT_EQ(stored(ExternalDiskManager::seenVolumesKey), Ids{"disk7s1"});
    EXPECT_FALSE(preferences.hasObject(ExternalDiskManager::allowlistKey));

    preferences.setArray(ExternalDiskManager::allowlistKey, PropertyArray{"disk4s1"});
    preferences.setArray(ExternalDiskManager::seenVolumesKey, PropertyArray{"disk4s1", "disk5s1"});
    EXPECT_TRUE(allowlist.recordSeenVolumes({"disk4s1", "disk5s1", "disk6s1"}));
    EXPECT_EQ(stored(ExternalDiskManager::seenVolumesKey), (Ids{"disk4s1", "disk5s1", "disk6s1"}));
    EXPECT_EQ(stored(ExternalDiskManager::allowlistKey), (Ids{"disk4s1", "disk6s1"}));
    EXPECT_FALSE(allowlist.recordSeenVolumes({"disk5s1"})); // nothing new: the allowlist is left alone
    EXPECT_EQ(stored(ExternalDiskManager::allowlistKey), (Ids{"disk4s1", "disk6s1"}));

    // A refresh that finds a new volume republishes the selections before it publishes the new ones.
    addUsbVolume("New", "disk8s1");
    manager->refreshVolumeSelections(allKinds);
    runtime.runUntilIdle();
    EXPECT_EQ(stored(ExternalDiskManager::allowlistKey), (Ids{"disk4s1", "disk6s1", "disk8s1"}));
    EXPECT_EQ(republished, 2);
}

} // namespace
