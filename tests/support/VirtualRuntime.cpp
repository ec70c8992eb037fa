#include "support/VirtualRuntime.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace tallowmere::test {
namespace {
thread_local const VirtualRuntime* t_workerOf = nullptr;
}

class VirtualSemaphore : public Semaphore {
public:
    VirtualSemaphore(VirtualRuntime& runtime, int value)
        : m_runtime(runtime)
        , m_value(value) {}

    void signal() override {
        std::lock_guard lock(m_runtime.m_mutex);
        ++m_value;
        m_runtime.m_changed.notify_all();
    }

    bool wait(std::optional<Seconds> timeout) override {
        std::unique_lock lock(m_runtime.m_mutex);
        if (!m_runtime.blockLocked(
                lock, [this] { return m_value > 0; }, timeout))
            return false;
        --m_value;
        return true;
    }

private:
    VirtualRuntime& m_runtime;
    int m_value;
};

class VirtualGroup : public Group {
public:
    explicit VirtualGroup(VirtualRuntime& runtime)
        : m_runtime(runtime) {}

    void enter() override {
        std::lock_guard lock(m_runtime.m_mutex);
        ++m_count;
    }

    void leave() override {
        std::lock_guard lock(m_runtime.m_mutex);
        if (m_count == 0 || --m_count > 0)
            return;
        for (auto& [qos, task] : m_notifications)
            dispatchLocked(qos, std::move(task));
        m_notifications.clear();
        m_runtime.m_changed.notify_all();
    }

    bool wait(std::optional<Seconds> timeout) override {
        std::unique_lock lock(m_runtime.m_mutex);
        return m_runtime.blockLocked(
            lock, [this] { return m_count == 0; }, timeout);
    }

    void notifyMain(Task task) override { notify(std::nullopt, std::move(task)); }
    void notifyGlobal(QoS qos, Task task) override { notify(qos, std::move(task)); }

private:
    void notify(std::optional<QoS> qos, Task task) {
        std::lock_guard lock(m_runtime.m_mutex);
        if (m_count > 0)
            m_notifications.emplace_back(qos, std::move(task));
        else
            dispatchLocked(qos, std::move(task));
    }
    void dispatchLocked(std::optional<QoS> qos, Task task) {
        if (qos)
            m_runtime.enqueueReadyLocked(std::move(task));
        else
            m_runtime.insertMainLocked(m_runtime.m_now, std::move(task));
    }

    VirtualRuntime& m_runtime;
    int m_count = 0;
    std::vector<std::pair<std::optional<QoS>, Task>> m_notifications;
};

class VirtualTimer : public Timer {
public:
    VirtualTimer(VirtualRuntime& runtime, Seconds interval, bool repeats, Task action)
        : m_runtime(runtime)
        , m_state(std::make_shared<State>(State{true, {}, interval, repeats, std::move(action)})) {
        std::lock_guard lock(runtime.m_mutex);
        armLocked(runtime, m_state, runtime.m_now + interval);
    }
    ~VirtualTimer() override { invalidate(); }

    void invalidate() override {
        std::lock_guard lock(m_runtime.m_mutex);
        if (std::exchange(m_state->valid, false))
            m_runtime.m_main.erase(m_state->key);
    }
    bool isValid() const override {
        std::lock_guard lock(m_runtime.m_mutex);
        return m_state->valid;
    }

private:
    // Shared with the pending firing, which may outlive the timer (a timer may stop itself while firing).
    struct State {
        bool valid;
        VirtualRuntime::Key key;
        Seconds interval;
        bool repeats;
        Task action;
    };

    static void armLocked(VirtualRuntime& runtime, const std::shared_ptr<State>& state, Seconds deadline) {
        state->key = runtime.insertMainLocked(deadline, [&runtime, weak = std::weak_ptr<State>(state), deadline] {
            auto state = weak.lock();
            {
                std::lock_guard lock(runtime.m_mutex);
                if (!state || !state->valid)
                    return;
                if (state->repeats)
                    armLocked(runtime, state, deadline + std::max(state->interval, Seconds(1e-9)));
                else
                    state->valid = false;
            }
            state->action();
        });
    }

    VirtualRuntime& m_runtime;
    std::shared_ptr<State> m_state;
};

class VirtualQueue : public DispatchQueue {
public:
    explicit VirtualQueue(VirtualRuntime& runtime)
        : m_runtime(runtime) {}
    void async(Task task) override { m_runtime.globalAsync(QoS::Default, std::move(task)); }

private:
    VirtualRuntime& m_runtime;
};

VirtualRuntime::VirtualRuntime()
    : m_driver(std::this_thread::get_id()) {}

VirtualRuntime::~VirtualRuntime() {
    std::unique_lock lock(m_mutex);
    // Whatever still waits is let go as if its time had run out.
    m_stopping = true;
    m_main.clear();
    m_globalDelayed.clear();
    m_ready.clear();
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_running == 0 && m_blocked.empty(); });
    std::vector<std::thread> threads = std::move(m_threads);
    lock.unlock();
    for (auto& thread : threads)
        thread.join();
}

void VirtualRuntime::advance(Seconds delta) {
    std::unique_lock lock(m_mutex);
    pumpLocked(lock, nullptr, m_now + delta, true);
}

void VirtualRuntime::runUntilIdle() {
    std::unique_lock lock(m_mutex);
    pumpLocked(lock, nullptr, m_now, true);
}

std::optional<Seconds> VirtualRuntime::nextPendingDelay() const {
    std::lock_guard lock(m_mutex);
    if (auto next = nextDeadlineLocked(true))
        return std::max(Seconds(0), *next - m_now);
    return std::nullopt;
}

std::optional<Seconds> VirtualRuntime::nextDeadlineLocked(bool includeMain) const {
    std::optional<Seconds> next;
    auto consider = [&](Seconds t) { next = next ? std::min(*next, t) : t; };
    if (includeMain && !m_main.empty())
        consider(m_main.begin()->first.first);
    if (!m_globalDelayed.empty())
        consider(m_globalDelayed.begin()->first.first);
    for (auto* waiter : m_blocked)
        if (waiter->deadline)
            consider(*waiter->deadline);
    return next;
}

Seconds VirtualRuntime::elapsed() const {
    std::lock_guard lock(m_mutex);
    return m_now;
}

void VirtualRuntime::advanceWallClock(Seconds delta) {
    std::lock_guard lock(m_mutex);
    m_wallOffset += delta;
}

void VirtualRuntime::mainAsync(Task task) {
    std::lock_guard lock(m_mutex);
    insertMainLocked(m_now, std::move(task));
}

void VirtualRuntime::mainAfter(Seconds delay, Task task) {
    std::lock_guard lock(m_mutex);
    insertMainLocked(m_now + std::max(delay, Seconds(0)), std::move(task));
}

bool VirtualRuntime::isMainThread() const {
    return std::this_thread::get_id() == m_driver;
}

void VirtualRuntime::globalAsync(QoS, Task task) {
    std::lock_guard lock(m_mutex);
    enqueueReadyLocked(std::move(task));
}

void VirtualRuntime::globalAfter(QoS, Seconds delay, Task task) {
    std::lock_guard lock(m_mutex);
    if (m_stopping)
        return;
    m_globalDelayed.emplace(Key{m_now + std::max(delay, Seconds(0)), m_sequence++}, std::move(task));
    m_changed.notify_all();
}

std::unique_ptr<DispatchQueue> VirtualRuntime::makeConcurrentQueue(const std::string&) {
    return std::make_unique<VirtualQueue>(*this);
}

std::unique_ptr<Timer> VirtualRuntime::scheduleTimer(Seconds interval, bool repeats, Task action) {
    return std::make_unique<VirtualTimer>(*this, interval, repeats, std::move(action));
}

std::unique_ptr<Semaphore> VirtualRuntime::makeSemaphore(int initialValue) {
    return std::make_unique<VirtualSemaphore>(*this, initialValue);
}

std::shared_ptr<Group> VirtualRuntime::makeGroup() {
    return std::make_shared<VirtualGroup>(*this);
}

void VirtualRuntime::sleepFor(Seconds duration) {
    std::unique_lock lock(m_mutex);
    blockLocked(
        lock, [] { return false; }, duration);
}

MonotonicTime VirtualRuntime::now() const {
    std::lock_guard lock(m_mutex);
    return MonotonicTime() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(m_now);
}

WallTime VirtualRuntime::wallNow() const {
    std::lock_guard lock(m_mutex);
    return wallEpoch() + std::chrono::duration_cast<std::chrono::system_clock::duration>(m_now + m_wallOffset);
}

WallTime VirtualRuntime::wallEpoch() {
    // 2026-01-05 09:00:00 UTC, a Monday.
    return WallTime(std::chrono::seconds(1767603600));
}

VirtualRuntime::Key VirtualRuntime::insertMainLocked(Seconds deadline, Task task) {
    Key key{deadline, m_sequence++};
    if (!m_stopping)
        m_main.emplace(key, std::move(task));
    m_changed.notify_all();
    return key;
}

void VirtualRuntime::enqueueReadyLocked(Task task) {
    if (m_stopping)
        return;
    m_ready.push_back(std::move(task));
    if (m_idle < static_cast<int>(m_ready.size()))
        m_threads.emplace_back(&VirtualRuntime::workerLoop, this);
    m_changed.notify_all();
}

bool VirtualRuntime::blockLocked(std::unique_lock<std::mutex>& lock, const std::function<bool()>& ready,
                                 std::optional<Seconds> timeout) {
    if (ready() || m_stopping || (timeout && timeout->count() <= 0))
        return ready();
    Waiter waiter{ready, timeout ? std::optional(m_now + *timeout) : std::nullopt};
    m_blocked.insert(&waiter);
    if (isMainThread()) {
        // The main thread is blocked: time moves on for everybody else, but main-queue work waits.
        pumpLocked(
            lock, [&] { return waiter.over(m_now); }, std::nullopt, false);
    } else {
        // A worker blocked here is not running: time may move on without it.
        const int running = t_workerOf == this;
        m_running -= running;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return waiter.over(m_now) || m_stopping; });
        m_running += running;
    }
    m_blocked.erase(&waiter);
    m_changed.notify_all();
    return ready();
}

void VirtualRuntime::pumpLocked(std::unique_lock<std::mutex>& lock, const std::function<bool()>& done,
                                std::optional<Seconds> limit, bool runMain) {
    auto finished = [&] { return done && done(); };
    // Settled: no worker runs, none is about to run and no blocked thread is about to go on.
    auto settled = [&] {
        return m_running == 0 && m_ready.empty() &&
               std::none_of(m_blocked.begin(), m_blocked.end(), [&](Waiter* w) { return w->over(m_now); });
    };
    for (;;) {
        m_changed.wait(lock, [&] { return finished() || settled(); });
        if (finished())
            return;

        if (runMain && !m_main.empty() && m_main.begin()->first.first <= m_now) {
            Task task = std::move(m_main.begin()->second);
            m_main.erase(m_main.begin());
            lock.unlock();
            task();
            task = nullptr;
            lock.lock();
            continue;
        }
        if (!m_globalDelayed.empty() && m_globalDelayed.begin()->first.first <= m_now) {
            Task task = std::move(m_globalDelayed.begin()->second);
            m_globalDelayed.erase(m_globalDelayed.begin());
            enqueueReadyLocked(std::move(task));
            continue;
        }

        std::optional<Seconds> next = nextDeadlineLocked(runMain);
        if (!next || (limit && *next > *limit)) {
            if (limit) {
                m_now = std::max(m_now, *limit);
                return;
            }
            std::fprintf(stderr, "VirtualRuntime: the main thread waits for something that can never happen\n");
            std::abort();
        }
        m_now = std::max(m_now, *next);
        m_changed.notify_all();
    }
}

void VirtualRuntime::workerLoop() {
    t_workerOf = this;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_ready.empty()) {
            Task task = std::move(m_ready.front());
            m_ready.pop_front();
            ++m_running;
            lock.unlock();
            task();
            task = nullptr;
            lock.lock();
            --m_running;
            m_changed.notify_all();
            continue;
        }
        if (m_stopping)
            return;
        ++m_idle;
        m_changed.wait(lock);
        --m_idle;
    }
}

} // namespace tallowmere::test
