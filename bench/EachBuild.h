#pragma once

#include <QString>
#include <QtGlobal>

#include <benchmark/benchmark.h>

#include <functional>
#include <initializer_list>
#include <string>

namespace tallowmere::bench {

// Registers NAME/N for each size N, measuring this build of the application. With $TALLOWMERE_BASELINE_APP naming
// another build, each size runs that build first (as NAME/N/baseline) and then this one, so both are measured in
// the same run under the same load.
inline void registerForEachBuild(const std::string& name, std::initializer_list<int> sizes, int iterations,
                                 std::function<void(benchmark::State&, int count, const QString& executable)> measure) {
    const QString baseline = qEnvironmentVariable("TALLOWMERE_BASELINE_APP");
    for (int count : sizes) {
        std::vector<std::pair<std::string, QString>> builds{{"", TALLOWMERE_EXECUTABLE}};
        if (!baseline.isEmpty())
            builds.insert(builds.begin(), {"/baseline", baseline});
        for (const auto& [suffix, executable] : builds)
            benchmark::RegisterBenchmark(
                (name + "/" + std::to_string(count) + suffix).c_str(),
                [measure, count, executable](benchmark::State& state) { measure(state, count, executable); })
                ->Iterations(iterations)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
    }
}

} // namespace tallowmere::bench
