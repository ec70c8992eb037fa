#pragma once

#include "platform/Runtime.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace tallowmere::test {

// Virtual time for tests. The thread that creates the runtime is the main thread: main-queue work and
// timers run on it, inside `advance` and `runUntilIdle`. Global-queue work runs on real worker threads
// (as many as are needed, so blocking work never starves). Time moves only when every worker is idle or
// blocked on the runtime's own primitives (sleep, semaphore, group), so results are deterministic.
class VirtualRuntime : public Runtime {
public:
    VirtualRuntime();
    ~VirtualRuntime() override;

    // Runs everything due within `delta`, in deadline order, then sets the clock to now + delta.
    void advance(Seconds delta);
    // Runs what is ready now without moving time.
    void runUntilIdle();
    // Delay until the next pending main-queue item, delayed global item or timed wait.
    std::optional<Seconds> nextPendingDelay() const;
    // Virtual time since the runtime was created.
    Seconds elapsed() const;
    // Moves the wall clock alone, as a sleep of the computer does: the monotonic clock and timers stand still.
    void advanceWallClock(Seconds delta);

    void mainAsync(Task task) override;
    void mainAfter(Seconds delay, Task task) override;
    bool isMainThread() const override;

    void globalAsync(QoS qos, Task task) override;
    void globalAfter(QoS qos, Seconds delay, Task task) override;
    std::unique_ptr<DispatchQueue> makeConcurrentQueue(const std::string& label) override;

    std::unique_ptr<Timer> scheduleTimer(Seconds interval, bool repeats, Task action) override;

    std::unique_ptr<Semaphore> makeSemaphore(int initialValue) override;
    std::shared_ptr<Group> makeGroup() override;
    void sleepFor(Seconds duration) override;

    MonotonicTime now() const override;
    WallTime wallNow() const override;

    // The wall-clock time at virtual time zero.
    static WallTime wallEpoch();

private:
    friend class VirtualSemaphore;
    friend class VirtualGroup;
    friend class VirtualTimer;

    struct Waiter {
        std::function<bool()> ready;
        std::optional<Seconds> deadline;
        bool over(Seconds now) const { return ready() || (deadline && *deadline <= now); }
    };
    using Key = std::pair<Seconds, std::uint64_t>;

    // The earliest deadline of delayed work and timed waits (and of main-queue work when `includeMain`).
    std::optional<Seconds> nextDeadlineLocked(bool includeMain) const;
    Key insertMainLocked(Seconds deadline, Task task);
    void enqueueReadyLocked(Task task);
    // Blocks the calling thread until `ready` (true) or until the timeout passed (false).
    bool blockLocked(std::unique_lock<std::mutex>& lock, const std::function<bool()>& ready,
                     std::optional<Seconds> timeout);
    void pumpLocked(std::unique_lock<std::mutex>& lock, const std::function<bool()>& done, std::optional<Seconds> limit,
                    bool runMain);
    void workerLoop();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::thread::id m_driver;
    Seconds m_now{0};
    Seconds m_wallOffset{0};
    std::uint64_t m_sequence = 0;
    std::map<Key, Task> m_main;
    std::map<Key, Task> m_globalDelayed;
    std::deque<Task> m_ready;
    std::set<Waiter*> m_blocked;
    std::vector<std::thread> m_threads;
    int m_idle = 0;
    int m_running = 0;
    bool m_stopping = false;
};

} // namespace tallowmere::test
