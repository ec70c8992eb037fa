#include "BenchSupport.h"

#include "disks/ExternalDiskManager.h"
#include "platform/QtProcessRunner.h"
#include "platform/sim/SimPlatform.h"

#include <benchmark/benchmark.h>

#include <chrono>

using namespace tallowmere;

namespace {

const std::vector<DiskType> everyKind(allDiskTypes.begin(), allDiskTypes.end());
constexpr double fixedUnmountWait = 0.5;

// The disk manager on a simulated Mac with `count` USB volumes, on the production runtime and process runner.
// The machine's announcements reach this process, as they would reach the application.
struct Engine {
    explicit Engine(int count)
        : machine(count) {
        simulated.start();
    }

    bench::BenchMachine machine;
    SimPlatform simulated{bench::runtime(), machine.folder(), bench::macsimPath()};
    Platform platform = simulated.platform();
    std::shared_ptr<ExternalDiskManager> manager =
        ExternalDiskManager::create({bench::runtime(), platform.preferences, platform.processes, platform.fileSystem,
                                     platform.tools, platform.workspace, platform.diskArbitration});
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One child process on this machine: the floor under every number below.
void BM_SpawnTrue(benchmark::State& state) {
    QtProcessRunner processes;
    for (auto _ : state)
        if (!processes.run({"/bin/true", {}}).succeeded())
            state.SkipWithError("/bin/true did not run");
}
BENCHMARK(BM_SpawnTrue)->UseRealTime()->Unit(benchmark::kMillisecond);

// One `diskutil info -plist` of the stand-in tool.
void BM_DiskutilInfo(benchmark::State& state) {
    Engine engine(1);
    for (auto _ : state)
        if (!engine.platform.processes.run({engine.platform.tools.diskutil(), {"info", "-plist", "/Volumes/Bench 1"}})
                 .succeeded())
            state.SkipWithError("diskutil info failed");
}
BENCHMARK(BM_DiskutilInfo)->UseRealTime()->Unit(benchmark::kMillisecond);

// The enumeration: one classification per volume, fanned out on its concurrent queue.
void BM_ClassificationFanOut(benchmark::State& state) {
    const auto count = static_cast<size_t>(state.range(0));
    Engine engine(static_cast<int>(count));
    for (auto _ : state) {
        if (engine.manager->externalVolumeURLs(everyKind).size() != count) {
            state.SkipWithError("not every volume was found eligible");
            break;
        }
    }
    state.counters["volumes"] = static_cast<double>(count);
}
BENCHMARK(BM_ClassificationFanOut)->Arg(32)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same classifications one after the other.
void BM_ClassificationSerial(benchmark::State& state) {
    const auto count = static_cast<size_t>(state.range(0));
    Engine engine(static_cast<int>(count));
    const std::vector<std::string> mounted =
        engine.platform.fileSystem.mountedVolumePaths().value_or(std::vector<std::string>{});
    for (auto _ : state) {
        size_t eligible = 0;
        for (const std::string& path : mounted)
            if (path.starts_with("/Volumes/") && engine.manager->classifyVolume(path).eligible)
                ++eligible;
        if (eligible != count) {
            state.SkipWithError("not every volume was found eligible");
            break;
        }
    }
    state.counters["volumes"] = static_cast<double>(count);
}
BENCHMARK(BM_ClassificationSerial)->Arg(32)->UseRealTime()->Unit(benchmark::kMillisecond);

// A batch on the unmount path, started from a background queue as the application does and finished when its
// completion runs on the main queue. `overhead_ms` is the time above the fixed wait before each unmount.
void BM_BatchUnmount(benchmark::State& state) {
    const auto count = static_cast<size_t>(state.range(0));
    Engine engine(static_cast<int>(count));
    engine.platform.preferences.setBool(PreferenceKey::unmountInsteadOfEject, true);
    double overhead = 0;
    for (auto _ : state) {
        if (!engine.machine.mountAll()) {
            state.SkipWithError("the volumes could not be mounted again");
            break;
        }
        auto unmounted = std::make_shared<std::optional<size_t>>();
        const auto start = std::chrono::steady_clock::now();
        bench::runtime().globalAsync(QoS::UserInitiated, [manager = engine.manager, unmounted] {
            manager->ejectExternalDisks(everyKind, {},
                                        [unmounted](std::vector<std::string> urls) { *unmounted = urls.size(); });
        });
        if (!bench::processEventsUntil([&] { return unmounted->has_value(); })) {
            state.SkipWithError("the batch did not finish");
            break;
        }
        const double seconds = secondsSince(start);
        state.SetIterationTime(seconds);
        overhead += seconds - fixedUnmountWait;
        if (**unmounted != count) {
            state.SkipWithError("not every volume was unmounted");
            break;
        }
    }
    state.counters["overhead_ms"] = benchmark::Counter(overhead * 1000, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_BatchUnmount)->Arg(8)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
