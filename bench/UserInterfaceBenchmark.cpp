#include "BenchSupport.h"

#include <benchmark/benchmark.h>

using namespace tallowmere;

namespace {

// One `macsim ui …` round trip in seconds; a negative value when it failed.
double roundTrip(bench::BenchMachine& machine, const QStringList& arguments) {
    QElapsedTimer timer;
    timer.start();
    return machine.macsim(QStringList{"ui"} + arguments) ? timer.nsecsElapsed() / 1e9 : -1;
}

// What the application itself spends on a ui command: its round trip less that of `ui windows`, which walks
// nothing, measured right before it.
void measure(benchmark::State& state, bench::BenchMachine& machine, const QStringList& arguments, double& above) {
    const double baseline = roundTrip(machine, {"windows"});
    const double seconds = roundTrip(machine, arguments);
    if (baseline < 0 || seconds < 0) {
        state.SkipWithError("the application did not answer");
        return;
    }
    state.SetIterationTime(seconds);
    above += seconds - baseline;
}

void report(benchmark::State& state, double above) {
    state.counters["app_ms"] = benchmark::Counter(above * 1000, benchmark::Counter::kAvgIterations);
}

// `macsim ui menu`: the menu rebuilt as it comes on screen (with the volume refresh it starts) and read back.
void BM_UiMenu(benchmark::State& state) {
    bench::BenchMachine machine(4);
    bench::RunningApplication application(machine);
    if (!application.isReady())
        return state.SkipWithError("the application did not start");
    application.waitUntilQuiet();
    double above = 0;
    for (auto _ : state)
        measure(state, machine, {"menu"}, above);
    report(state, above);
}
BENCHMARK(BM_UiMenu)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

// "Settings…" from the menu: the settings window built and shown the first time (a fresh application each
// iteration), and shown again after it was closed.
void BM_SettingsWindow(benchmark::State& state) {
    const bool first = state.range(0) == 1;
    double above = 0;
    std::unique_ptr<bench::BenchMachine> machine;
    std::unique_ptr<bench::RunningApplication> application;
    for (auto _ : state) {
        state.PauseTiming();
        if (first || !application) {
            application.reset();
            machine = std::make_unique<bench::BenchMachine>(2);
            application = std::make_unique<bench::RunningApplication>(*machine);
            if (!application->isReady())
                return state.SkipWithError("the application did not start");
            application->waitUntilQuiet();
            if (!first)
                roundTrip(*machine, {"click", "Settings…"});
        }
        if (!first)
            roundTrip(*machine, {"close", "Settings"});
        state.ResumeTiming();
        measure(state, *machine, {"click", "Settings…"}, above);
    }
    report(state, above);
}
BENCHMARK(BM_SettingsWindow)
    ->ArgName("first")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(6)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
