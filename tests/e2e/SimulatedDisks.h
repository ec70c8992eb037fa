#pragma once

#include "sim/SimTestSupport.h"

#include "disks/ExternalDiskManager.h"
#include "platform/QtProcessRunner.h"
#include "platform/sim/SimPlatform.h"
#include "support/VirtualRuntime.h"

#include "ListingText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tallowmere::test {

using namespace std::chrono_literals;

// The real process runner, remembering every request it was given.
class RecordingProcessRunner : public ProcessRunner {
public:
    ProcessResult run(const ProcessRequest& request) override {
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
        }
        return m_real.run(request);
    }
    std::optional<std::string> launchDetached(const std::string& executable,
                                              const std::vector<std::string>& arguments) override {
        {
            std::lock_guard lock(m_mutex);
            m_requests.emplace_back(executable, arguments);
        }
        return m_real.launchDetached(executable, arguments);
    }

    std::vector<ProcessRequest> requests() const {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    // The argument lists of the requests whose first argument is `verb`.
    std::vector<std::vector<std::string>> argumentsOf(const std::string& verb) const {
        std::vector<std::vector<std::string>> found;
        for (const ProcessRequest& request : requests())
            if (!request.arguments.empty() && request.arguments[0] == verb)
                found.push_back(request.arguments);
        return found;
    }
    void clear() {
        std::lock_guard lock(m_mutex);
        m_requests.clear();
    }

private:
    QtProcessRunner m_real;
    mutable std::mutex m_mutex;
    std::vector<ProcessRequest> m_requests;
};

// One line of `macsim volume list`.
struct ListedVolume {
    std::string device;
    std::string name; // as listed: escaped
    std::string state;
    std::string kind;
};

// The real disk manager in this process on a fresh simulated Mac: its ports are the sim adapters, its child
// processes the machine's stand-in tools, and its time virtual (workers inside a real process count as busy,
// so `advance` waits for them).
class SimulatedDisksTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(simulated.start(&error)) << error;
    }

    // `macsim volume add`; returns the device identifier. Options go before the name.
    std::string plug(const std::string& name, const std::vector<std::string>& options = {}) {
        std::vector<std::string> command{"volume", "add"};
        command.insert(command.end(), options.begin(), options.end());
        command.push_back("--");
        command.push_back(name);
        MacsimRun run = sim.run(command);
        EXPECT_EQ(run.exitCode, 0) << name << ": " << run.err;
        return run.out.empty() ? std::string() : run.out.substr(0, run.out.size() - 1);
    }
    static std::string pathOf(const std::string& name) { return "/Volumes/" + name; }
    std::string hostPathOf(const std::string& name) const { return sim.folder() + "/Volumes/" + name; }

    std::vector<ListedVolume> listed() const {
        std::vector<ListedVolume> volumes;
        for (const std::string& line : lines(sim.run({"volume", "list"}).out)) {
            std::vector<std::string> fields;
            size_t start = 0;
            for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
                fields.push_back(line.substr(start, tab - start));
            fields.push_back(line.substr(start));
            EXPECT_EQ(fields.size(), 4u) << line;
            if (fields.size() == 4)
                volumes.push_back({fields[0], fields[1], fields[2], fields[3]});
        }
        return volumes;
    }
    // The state `macsim volume list` shows for a device ("" when it is not listed).
    std::string stateOf(const std::string& device) const {
        for (const ListedVolume& volume : listed())
            if (volume.device == device)
                return volume.state;
        return {};
    }

    // Runs the main queue and moves virtual time in small steps until `done` holds or `limit` has passed.
    bool advanceUntil(const std::function<bool()>& done, Seconds limit = 60s) {
        const Seconds step = 100ms;
        for (Seconds passed{0}; !done(); passed += step) {
            if (passed > limit)
                return false;
            runtime.advance(step);
        }
        return true;
    }

    // Runs the main queue until `done` holds, polling in real time: for what arrives from other processes
    // (macsim's announcements reach this process on the listener's thread).
    bool pumpUntil(const std::function<bool()>& done) {
        return waitUntil([&] {
            runtime.runUntilIdle();
            return done();
        });
    }

    // A batch eject from a background queue, as the application runs it; the URLs it reports.
    std::optional<std::vector<std::string>> ejectBatch(const std::vector<DiskType>& types, bool force,
                                                       bool applyAllowlist = false) {
        auto result = std::make_shared<std::optional<std::vector<std::string>>>();
        auto done = std::make_shared<std::atomic<bool>>(false);
        runtime.globalAsync(QoS::UserInitiated, [this, types, force, applyAllowlist, result, done] {
            manager->ejectExternalDisks(types, force, applyAllowlist, [result, done](std::vector<std::string> urls) {
                *result = std::move(urls);
                *done = true;
            });
        });
        EXPECT_TRUE(advanceUntil([&] { return done->load(); }));
        return *result;
    }
    std::optional<std::vector<std::string>> remount() {
        std::optional<std::vector<std::string>> result;
        int calls = 0;
        manager->remountLastEjectedDisks(5, 0, [&](std::vector<std::string> urls) {
            ++calls;
            result = std::move(urls);
        });
        // Six passes with every attempt failing take 102 s of pauses.
        EXPECT_TRUE(advanceUntil([&] { return result.has_value(); }, 150s));
        runtime.advance(30s);
        EXPECT_EQ(calls, 1);
        return result;
    }

    void setUnmountInsteadOfEject(bool unmount) {
        simulated.preferences().setBool(PreferenceKey::unmountInsteadOfEject, unmount);
    }

    static std::vector<EjectedDiskInfo> sortedByName(std::vector<EjectedDiskInfo> records) {
        std::sort(records.begin(), records.end(), [](auto& a, auto& b) { return a.volumeName < b.volumeName; });
        return records;
    }
    static std::set<std::string> asSet(const std::vector<std::string>& items) { return {items.begin(), items.end()}; }
    static std::set<std::string> pathsOf(std::initializer_list<std::string> names) {
        std::set<std::string> paths;
        for (const std::string& name : names)
            paths.insert(pathOf(name));
        return paths;
    }

    const std::vector<DiskType> everyKind{allDiskTypes.begin(), allDiskTypes.end()};

    TemporaryMachine sim;
    VirtualRuntime runtime;
    SimPlatform simulated{runtime, sim.folder(), MACSIM_EXECUTABLE};
    Platform platform = simulated.platform();
    RecordingProcessRunner processes;
    std::shared_ptr<ExternalDiskManager> manager =
        ExternalDiskManager::create({runtime, platform.preferences, processes, platform.fileSystem, platform.tools,
                                     platform.workspace, platform.diskArbitration});
};

} // namespace tallowmere::test
