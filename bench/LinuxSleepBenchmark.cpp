#include "EachBuild.h"
#include "linux/LinuxSystem.h"

#include "platform/PlistPreferenceStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <benchmark/benchmark.h>

#include <functional>
#include <string>
#include <vector>

using namespace tallowmere;
using tallowmere::test::LinuxSystem;
using tallowmere::test::pollUntil;

namespace {

constexpr double fixedUnmountWait = 0.5;

// From logind's PrepareForSleep(true) to the application closing its sleep delay inhibitor, with N loop volumes
// to unmount first, on the Linux test desktop (real udisksd and udevd, logind and the rest mocked). `overhead_ms`
// is the time above the fixed wait before each unmount.
void linuxSleep(benchmark::State& state, int count, const QString& executable) {
    if (auto reason = LinuxSystem::unavailable()) {
        state.SkipWithError(reason->c_str());
        return;
    }
    LinuxSystem machine;
    std::vector<std::string> labels;
    for (int i = 1; i <= count; ++i)
        labels.push_back("Bench " + std::to_string(i));
    std::string error;
    if (!machine.start(labels, 80, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    PlistPreferenceStore store(machine.configFolder() + "/tallowmere/com.tallowmere.app.plist");
    const PropertyDictionary defaults{{"autoEjectBeforeSleep", true},
                                      {"unmountInsteadOfEject", true},
                                      {"autoEjectRemountDelaySeconds", 0.2},
                                      {"AnalyticsEnabled", false},
                                      {"autoEjectTriggers", PropertyArray{"systemSleep"}}};
    for (const auto& [key, value] : defaults)
        store.setObject(key, value);
    QProcess app;
    QProcessEnvironment environment = machine.environment();
    // Another build brings its own companion, when there is one beside it.
    if (const QString companion = QFileInfo(executable).dir().filePath("tallowmere-companion");
        executable != TALLOWMERE_EXECUTABLE && QFileInfo(companion).isExecutable())
        environment.insert("TALLOWMERE_COMPANION", companion);
    app.setProcessEnvironment(environment);
    app.setStandardOutputFile(QProcess::nullDevice());
    app.setStandardErrorFile(QProcess::nullDevice());
    app.start(executable, {"--platform", "linux"});
    auto mountedCount = [&] {
        int mounted = 0;
        for (const std::string& device : machine.volumes())
            mounted += !LinuxSystem::mountPointOf(device).empty();
        return mounted;
    };
    auto poll = [](const std::function<bool()>& done) { return pollUntil(done, 30000); };
    if (!app.waitForStarted() || !poll([&] { return machine.holds("sleep", "delay"); })) {
        state.SkipWithError("the application did not take its sleep delay inhibitor");
        return;
    }
    QThread::msleep(1000); // the launch's own refresh settles
    double overhead = 0;
    for (auto _ : state) {
        QElapsedTimer elapsed;
        elapsed.start();
        if (!machine.prepareForSleep(true) || !poll([&] { return !machine.holds("sleep", "delay"); })) {
            state.SkipWithError("the sleep was not allowed");
            break;
        }
        const double seconds = static_cast<double>(elapsed.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        overhead += seconds - fixedUnmountWait;
        if (mountedCount() != 0) {
            state.SkipWithError("not every volume was unmounted before the sleep was allowed");
            break;
        }
        // Back to the start: the wake, the remount, the inhibitor for the next sleep.
        if (!machine.prepareForSleep(false) ||
            !poll([&] { return mountedCount() == count && machine.holds("sleep", "delay"); })) {
            state.SkipWithError("the volumes did not come back after the wake");
            break;
        }
        QThread::msleep(1000);
    }
    state.counters["overhead_ms"] = benchmark::Counter(overhead * 1000, benchmark::Counter::kAvgIterations);
    app.kill();
    app.waitForFinished();
}

const bool registered = [] {
    bench::registerForEachBuild("BM_LinuxSleep", {2, 8}, 5, linuxSleep);
    return true;
}();

} // namespace

// The test desktop's mounts stay in a namespace of this process, made before any thread starts.
int main(int argc, char** argv) {
    LinuxSystem::enterPrivateMounts();
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
