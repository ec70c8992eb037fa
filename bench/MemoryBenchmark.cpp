#include "BenchSupport.h"

#include "simulator/AppLink.h"

#include "platform/sim/SimEventListener.h"

#include <benchmark/benchmark.h>

#include <QRandomGenerator>

#include <deque>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tallowmere;

namespace {

// One sleep and wake of the machine, back to where it started: the volume remounted and reported.
bool sleepAndWake(bench::BenchMachine& machine, bench::RunningApplication& application) {
    const std::size_t reported = machine.machine().notifications().size();
    std::optional<std::string> slept = machine.macsim({"sleep"});
    if (!slept || !slept->starts_with("sleep allowed after ") || !machine.macsim({"wake"}))
        return false;
    bool back = bench::processEventsUntil([&] {
        return machine.mountedCount() == static_cast<int>(machine.devices().size()) &&
               machine.machine().notifications().size() > reported;
    });
    application.waitUntilQuiet();
    return back;
}

// Resident memory of the real application over sleep and wake cycles with usage signals on (each cycle sends
// its `autoEjectPerformed`), after `warmUp` cycles that let it reach its working size.
void BM_SleepWakeCycles(benchmark::State& state) {
    const int warmUp = 20, cycles = static_cast<int>(state.range(0));
    bench::BenchMachine machine(1);
    bench::RunningApplication application(machine, TALLOWMERE_EXECUTABLE, true);
    if (!application.isReady()) {
        state.SkipWithError("the application did not start");
        return;
    }
    application.waitUntilQuiet();
    for (auto _ : state) {
        for (int i = 0; i < warmUp; ++i)
            if (!sleepAndWake(machine, application))
                return state.SkipWithError("a warm-up cycle did not come back");
        const long before = application.residentKilobytes();
        long highest = before;
        for (int i = 0; i < cycles; ++i) {
            if (!sleepAndWake(machine, application))
                return state.SkipWithError("a cycle did not come back");
            highest = std::max(highest, application.residentKilobytes());
        }
        const long after = application.residentKilobytes();
        state.counters["cycles"] = cycles;
        state.counters["rss_before_kb"] = static_cast<double>(before);
        state.counters["rss_after_kb"] = static_cast<double>(after);
        state.counters["rss_highest_kb"] = static_cast<double>(highest);
        state.counters["growth_kb"] = static_cast<double>(after - before);
    }
}
BENCHMARK(BM_SleepWakeCycles)->Arg(200)->Iterations(1)->Unit(benchmark::kSecond);

// A raw connection to the application's socket.
class Connection {
public:
    explicit Connection(const std::string& path) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_fd >= 0 && ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~Connection() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Connection(Connection&& other) noexcept
        : m_fd(std::exchange(other.m_fd, -1)) {}
    Connection& operator=(Connection&& other) noexcept {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    bool isOpen() const { return m_fd >= 0; }
    // Writes as much as the socket takes now or at all; false once the application has closed it.
    bool write(const QByteArray& bytes) {
        return ::send(m_fd, bytes.constData(), static_cast<size_t>(bytes.size()), MSG_NOSIGNAL) >= 0;
    }

private:
    int m_fd = -1;
};

// 10,000 junk connections to the running application: random bytes, half lines left open, lines past the
// length limit, and clients that send without ever reading their answers. Afterwards it still answers, and its
// resident memory is compared with before.
void BM_JunkConnections(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    bench::BenchMachine machine(0);
    bench::RunningApplication application(machine);
    if (!application.isReady()) {
        state.SkipWithError("the application did not start");
        return;
    }
    application.waitUntilQuiet();
    const std::string socket = machine.machine().socketPath();
    auto answers = [&] {
        macsim::AppLink link(socket);
        if (!link.connect() || !link.send(macsim::AppEvent::ping()))
            return false;
        auto reply = link.receive(10000);
        return reply && reply->value("event").toString() == "pong";
    };
    QRandomGenerator random(20260105);
    for (auto _ : state) {
        const long before = application.residentKilobytes();
        std::deque<Connection> open;
        for (int i = 0; i < count; ++i) {
            Connection connection(socket);
            if (!connection.isOpen())
                return state.SkipWithError("the application refused a connection");
            switch (i % 100) {
            case 0: // never reads: pings until the application hangs up
                for (int sent = 0; sent < 200000 && connection.write("{\"event\":\"ping\"}\n"); ++sent) {
                }
                break;
            case 1: // a line past the limit
                connection.write(QByteArray(SimEventListener::maximumLineLength + 4096, 'x') + "\n");
                break;
            default: {
                QByteArray junk(static_cast<int>(random.bounded(1, 512)), Qt::Uninitialized);
                for (char& byte : junk)
                    byte = static_cast<char>(random.bounded(256));
                connection.write(junk);
                if (i % 2 == 0) { // a half line, held open (as many at a time as this process may)
                    open.push_back(std::move(connection));
                    if (open.size() > 256)
                        open.pop_front();
                }
            }
            }
        }
        open.clear();
        application.waitUntilQuiet(1000);
        if (!answers())
            return state.SkipWithError("the application no longer answers");
        const long after = application.residentKilobytes();
        state.counters["connections"] = count;
        state.counters["rss_before_kb"] = static_cast<double>(before);
        state.counters["rss_after_kb"] = static_cast<double>(after);
        state.counters["growth_kb"] = static_cast<double>(after - before);
    }
}
BENCHMARK(BM_JunkConnections)->Arg(10000)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
