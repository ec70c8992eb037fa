#include "BenchSupport.h"

#include "app/Preferences.h"
#include "platform/sim/PlistPreferenceStore.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>

#include <csignal>
#include <string>
#include <utility>
#include <vector>

using namespace tallowmere;

namespace {

constexpr double fixedUnmountWait = 0.5;

// The real application on the machine, set up as a user who protects their disks on the unmount path, past
// onboarding and the launch-time permission question.
class RunningApplication {
public:
    RunningApplication(bench::BenchMachine& machine, const QString& executable) {
        machine.machine().setFullDiskAccess(macsim::FullDiskAccess::granted);
        PlistPreferenceStore defaults(machine.machine().domainPath());
        for (const char* key : {PreferenceKey::hasLaunchedOnce, PreferenceKey::hasCompletedOnboarding,
                                PreferenceKey::hasCheckedFullDiskAccess, PreferenceKey::autoEjectBeforeSleep,
                                PreferenceKey::unmountInsteadOfEject})
            defaults.setBool(key, true);
        defaults.setBool(PreferenceKey::startAtLogin, false);
        defaults.setBool(PreferenceKey::analyticsEnabled, false);
        // Each iteration wakes the machine to get the volumes back; a short delay keeps that quick.
        defaults.setDouble(PreferenceKey::autoEjectRemountDelaySeconds, 0.5);

        m_process.setProcessEnvironment(machine.environment());
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(executable, {});
        // Ready once the launch sequence has run its delayed permission check.
        m_ready = m_process.waitForStarted() && waitForOutput("Tallowmere: Executing Full Disk Access check now");
    }
    ~RunningApplication() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }

    bool isReady() const { return m_ready; }

    bool waitForOutput(const QByteArray& text, int limitMilliseconds = 20000) {
        QElapsedTimer timer;
        timer.start();
        while (!m_output.contains(text)) {
            if (timer.elapsed() > limitMilliseconds || m_process.state() == QProcess::NotRunning)
                return false;
            m_process.waitForReadyRead(50);
            m_output += m_process.readAll();
        }
        return true;
    }
    // Until the application has printed nothing for `quietMilliseconds`: its refreshes after a mount are done.
    void waitUntilQuiet(int quietMilliseconds = 300, int limitMilliseconds = 20000) {
        QElapsedTimer total, quiet;
        total.start();
        quiet.start();
        while (quiet.elapsed() < quietMilliseconds && total.elapsed() < limitMilliseconds) {
            m_process.waitForReadyRead(20);
            QByteArray more = m_process.readAll();
            if (!more.isEmpty()) {
                m_output += more;
                quiet.restart();
            }
        }
    }

private:
    QProcess m_process;
    QByteArray m_output;
    bool m_ready = false;
};

// From `macsim sleep` to the application's acknowledgement, with N volumes to unmount first, as `macsim sleep`
// measures it. `overhead_ms` is the time above the fixed wait before each unmount.
void sleepAcknowledgement(benchmark::State& state, int count, const QString& executable) {
    bench::BenchMachine machine(count);
    RunningApplication application(machine, executable);
    if (!application.isReady()) {
        state.SkipWithError("the application did not start");
        return;
    }
    application.waitUntilQuiet();
    double overhead = 0;
    size_t notificationsBefore = machine.machine().state().notifications.size();
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
                       machine.machine().state().notifications.size() > notificationsBefore;
            })) {
            state.SkipWithError("the volumes did not come back after the wake");
            break;
        }
        notificationsBefore = machine.machine().state().notifications.size();
        application.waitUntilQuiet();
    }
    state.counters["overhead_ms"] = benchmark::Counter(overhead * 1000, benchmark::Counter::kAvgIterations);
}
// With $TALLOWMERE_BASELINE_APP naming another build of the application, each size runs that build first (as
// ".../baseline") and then this one, so both are measured in the same run under the same load.
const bool registered = [] {
    const QString baseline = qEnvironmentVariable("TALLOWMERE_BASELINE_APP");
    for (int count : {1, 8, 32}) {
        std::vector<std::pair<std::string, QString>> builds{{"", TALLOWMERE_EXECUTABLE}};
        if (!baseline.isEmpty())
            builds.insert(builds.begin(), {"/baseline", baseline});
        for (const auto& [suffix, executable] : builds)
            benchmark::RegisterBenchmark(
                ("BM_SleepAcknowledgement/" + std::to_string(count) + suffix).c_str(),
                [count, executable](benchmark::State& state) { sleepAcknowledgement(state, count, executable); })
                ->Iterations(8)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

} // namespace
