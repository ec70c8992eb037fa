#include "BenchSupport.h"

#include "platform/Log.h"

#include <benchmark/benchmark.h>

namespace {
tallowmere::QtRuntime* mainRuntime = nullptr;
}

tallowmere::QtRuntime& tallowmere::bench::runtime() {
    return *mainRuntime;
}

// Like the application: an application object and the production runtime on the main thread, whose event
// loop the benchmarks run while they wait for main-queue work.
int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    tallowmere::QtRuntime runtime;
    mainRuntime = &runtime;
    // The engine's diagnostics would interleave with the results table.
    tallowmere::setLogSink([](const std::string&) {});
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
