#include "BenchSupport.h"
#include "EachBuild.h"

#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

using namespace tallowmere;

namespace {

constexpr double fixedUnmountWait = 0.5;

// From `macsim sleep` to the application's acknowledgement, with N volumes to unmount first, as `macsim sleep`
// measures it. `overhead_ms` is the time above the fixed wait before each unmount.
void sleepAcknowledgement(benchmark::State& state, int count, const QString& executable) {
    bench::BenchMachine machine(count);
    bench::RunningApplication application(machine, executable);
    if (!application.isReady()) {
        state.SkipWithError("the application did not start");
        return;
    }
    application.waitUntilQuiet();
    double overhead = 0;
    size_t notificationsBefore = machine.machine().notifications().size();
    for (auto _ : state) {
        std::optional<std::string> slept = machine.macsim({"sleep"});
        const std::string prefix = "sleep allowed after ";
        if (!slept || !slept->starts_with(prefix)) {
            state.SkipWithError("the sleep was not allowed");
            break;
        }
        const double seconds = std::stod(slept->substr(prefix.size()));
        state.SetIterationTime(seconds);
        overhead += seconds - fixedUnmountWait;
        if (machine.mountedCount() != 0) {
            state.SkipWithError("not every volume was unmounted before the sleep");
            break;
        }

        // Back to the start, as a user's Mac would get there: it wakes and the application remounts the volumes
        // and says so.
        if (!machine.macsim({"wake"}) || !bench::processEventsUntil([&] {
                return machine.mountedCount() == count &&
                       machine.machine().notifications().size() > notificationsBefore;
            })) {
            state.SkipWithError("the volumes did not come back after the wake");
            break;
        }
        notificationsBefore = machine.machine().notifications().size();
        application.waitUntilQuiet();
    }
    state.counters["overhead_ms"] = benchmark::Counter(overhead * 1000, benchmark::Counter::kAvgIterations);
}
const bool registered = [] {
    bench::registerForEachBuild("BM_SleepAcknowledgement", {1, 8, 32}, 8, sleepAcknowledgement);
    return true;
}();

} // namespace
