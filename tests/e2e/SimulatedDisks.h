#pragma once

#include "sim/SimTestSupport.h"

#include "disks/ExternalDiskManager.h"
#include "platform/sim/SimPlatform.h"
#include "support/VirtualRuntime.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>

namespace tallowmere::test {

using namespace std::chrono_literals;
using Args = std::vector<std::string>;

// The real disk manager in this process on a fresh simulated Mac: its ports are the sim adapters, its child
// processes the machine's stand-in tools, and its time virtual (workers inside a real process count as busy,
// so `advance` waits for them).
class SimulatedDisksTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(simulated.start(&error)) << error;
    }

    // `macsim volume add`; returns the device identifier.
    std::string plug(const std::string& name, std::vector<std::string> options = {}) {
        Args command{"volume", "add"};
        command.insert(command.end(), options.begin(), options.end());
        command.insert(command.end(), {"--", name});
        MacsimRun run = sim.run(command);
        EXPECT_EQ(run.exitCode, 0) << name << ": " << run.err;
        return lines(run.out).empty() ? std::string() : lines(run.out)[0];
    }
    static std::string pathOf(const std::string& name) { return "/Volumes/" + name; }
    static std::set<std::string> pathsOf(std::initializer_list<std::string> names) {
        std::set<std::string> paths;
        for (const std::string& name : names)
            paths.insert(pathOf(name));
        return paths;
    }
    static std::set<std::string> asSet(const std::vector<std::string>& items) { return {items.begin(), items.end()}; }

    // The state `macsim volume list` shows for a device ("" when it is not listed).
    std::string stateOf(const std::string& device) const {
        for (const std::string& line : lines(sim.run({"volume", "list"}).out)) {
            QStringList fields = QString::fromStdString(line).split('\t');
            if (fields.size() == 4 && fields[0].toStdString() == device)
                return fields[2].toStdString();
        }
        return {};
    }

    bool advanceUntil(const std::function<bool()>& done, Seconds limit = 60s) {
        for (Seconds passed{0}; !done(); passed += 100ms) {
            if (passed > limit)
                return false;
            runtime.advance(100ms);
        }
        return true;
    }

    // A batch eject from a background queue, as the application runs it; the URLs it reports.
    std::vector<std::string> ejectBatch(const std::vector<DiskType>& types, bool force) {
        auto result = std::make_shared<std::vector<std::string>>();
        auto done = std::make_shared<std::atomic<bool>>(false);
        runtime.globalAsync(QoS::UserInitiated, [this, types, force, result, done] {
            manager->ejectExternalDisks(types, {.force = force}, [result, done](std::vector<std::string> urls) {
                *result = std::move(urls);
                *done = true;
            });
        });
        EXPECT_TRUE(advanceUntil([&] { return done->load(); }));
        return *result;
    }
    std::vector<std::string> remount() {
        std::optional<std::vector<std::string>> result;
        int calls = 0;
        manager->remountLastEjectedDisks(RemountPolicy::persistent(), [&](std::vector<std::string> urls) {
            ++calls;
            result = std::move(urls);
        });
        EXPECT_TRUE(advanceUntil([&] { return result.has_value(); }, 150s));
        runtime.advance(30s);
        EXPECT_EQ(calls, 1);
        return result.value_or(std::vector<std::string>{});
    }

    void setUnmountInsteadOfEject(bool unmount) {
        simulated.preferences().setBool(PreferenceKey::unmountInsteadOfEject, unmount);
    }

    const std::vector<DiskType> everyKind{allDiskTypes.begin(), allDiskTypes.end()};

    TemporaryMachine sim;
    VirtualRuntime runtime;
    SimPlatform simulated{runtime, sim.folder(), MACSIM_EXECUTABLE};
    Platform platform = simulated.platform();
    std::shared_ptr<ExternalDiskManager> manager =
        ExternalDiskManager::create({runtime, platform.preferences, platform.processes, platform.fileSystem,
                                     platform.tools, platform.workspace, platform.diskArbitration});
};

} // namespace tallowmere::test
