#include "platform/QtRuntime.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace tallowmere {
namespace {

using Milliseconds = std::int64_t;
// A QTimer counts at most this long in one go; longer delays are counted in several steps.
constexpr Milliseconds longestTimerStep = std::numeric_limits<int>::max();

Milliseconds toMilliseconds(Seconds delay) {
    double ms = std::ceil(delay.count() * 1000.0);
    if (!(ms > 0)) // zero, negative or not a number
        return 0;
    return ms >= 1.0e15 ? Milliseconds(1.0e15) : static_cast<Milliseconds>(ms); // about 31,000 years
}

int nextStep(Milliseconds& remaining) {
    Milliseconds step = std::min(remaining, longestTimerStep);
    remaining -= step;
    return static_cast<int>(step);
}

void singleShotOnMain(QObject* context, Milliseconds delay, Task task) {
    int step = nextStep(delay);
    if (delay == 0) {
        QTimer::singleShot(step, Qt::PreciseTimer, context, std::move(task));
        return;
    }
    QTimer::singleShot(step, Qt::PreciseTimer, context, [context, delay, task = std::move(task)]() mutable {
        singleShotOnMain(context, delay, std::move(task));
    });
}

class QtTimer : public Timer {
public:
    QtTimer(QtRuntime& runtime, QObject* context, Seconds interval, bool repeats, Task action)
        : m_runtime(runtime) {
        auto create = [context, interval, repeats, action = std::move(action), state = m_state]() mutable {
            std::lock_guard lock(state->mutex);
            if (!state->valid)
                return;
            auto* timer = new QTimer(context);
            timer->setTimerType(Qt::PreciseTimer);
            timer->setSingleShot(true);
            Milliseconds total = toMilliseconds(interval);
            auto remaining = std::make_shared<Milliseconds>(total);
            QObject::connect(timer, &QTimer::timeout, timer, [timer, total, remaining, repeats, action, state] {
                if (*remaining > 0) { // a long interval is still being counted
                    timer->start(nextStep(*remaining));
                    return;
                }
                if (repeats) {
                    *remaining = total;
                    timer->start(nextStep(*remaining));
                } else {
                    std::lock_guard lock(state->mutex);
                    state->valid = false;
                    timer->deleteLater();
                }
                action();
            });
            state->timer = timer;
            timer->start(nextStep(*remaining));
        };
        if (m_runtime.isMainThread())
            create();
        else
            m_runtime.mainAsync(std::move(create));
    }

    ~QtTimer() override { invalidate(); }

    void invalidate() override {
        std::lock_guard lock(m_state->mutex);
        if (!m_state->valid)
            return;
        m_state->valid = false;
        if (QPointer<QTimer> timer = m_state->timer) {
            if (m_runtime.isMainThread()) {
                timer->stop();
                timer->deleteLater();
            } else {
                QMetaObject::invokeMethod(
                    timer,
                    [timer] {
                        timer->stop();
                        timer->deleteLater();
                    },
                    Qt::QueuedConnection);
            }
        }
    }

    bool isValid() const override {
        std::lock_guard lock(m_state->mutex);
        return m_state->valid;
    }

private:
    struct State {
        std::mutex mutex;
        bool valid = true;
        QPointer<QTimer> timer;
    };
    QtRuntime& m_runtime;
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

class BlockingSemaphore : public Semaphore {
public:
    explicit BlockingSemaphore(int value)
        : m_value(value) {}
    void signal() override {
        std::lock_guard lock(m_mutex);
        ++m_value;
        m_changed.notify_one();
    }
    bool wait(std::optional<Seconds> timeout) override {
        std::unique_lock lock(m_mutex);
        auto ready = [this] { return m_value > 0; };
        if (timeout) {
            if (!m_changed.wait_for(lock, std::chrono::milliseconds(toMilliseconds(*timeout)), ready))
                return false;
        } else {
            m_changed.wait(lock, ready);
        }
        --m_value;
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_value;
};

class BlockingGroup : public Group {
public:
    explicit BlockingGroup(Runtime& runtime)
        : m_runtime(runtime) {}
    void enter() override {
        std::lock_guard lock(m_mutex);
        ++m_count;
    }
    void leave() override {
        std::vector<std::pair<std::optional<QoS>, Task>> ready;
        {
            std::lock_guard lock(m_mutex);
            if (m_count == 0)
                return; // unbalanced leave: ignored rather than going negative
            if (--m_count > 0)
                return;
            ready.swap(m_notifications);
            m_empty.notify_all();
        }
        for (auto& [qos, task] : ready)
            dispatch(qos, std::move(task));
    }
    bool wait(std::optional<Seconds> timeout) override {
        std::unique_lock lock(m_mutex);
        auto empty = [this] { return m_count == 0; };
        if (timeout)
            return m_empty.wait_for(lock, std::chrono::milliseconds(toMilliseconds(*timeout)), empty);
        m_empty.wait(lock, empty);
        return true;
    }
    void notifyMain(Task task) override { notify(std::nullopt, std::move(task)); }
    void notifyGlobal(QoS qos, Task task) override { notify(qos, std::move(task)); }

private:
    void notify(std::optional<QoS> qos, Task task) {
        {
            std::lock_guard lock(m_mutex);
            if (m_count > 0) {
                m_notifications.emplace_back(qos, std::move(task));
                return;
            }
        }
        dispatch(qos, std::move(task));
    }
    void dispatch(std::optional<QoS> qos, Task task) {
        if (qos)
            m_runtime.globalAsync(*qos, std::move(task));
        else
            m_runtime.mainAsync(std::move(task));
    }

    Runtime& m_runtime;
    std::mutex m_mutex;
    std::condition_variable m_empty;
    int m_count = 0;
    std::vector<std::pair<std::optional<QoS>, Task>> m_notifications;
};

class PoolQueue : public DispatchQueue {
public:
    PoolQueue(QtRuntime& runtime)
        : m_runtime(runtime) {}
    void async(Task task) override { m_runtime.globalAsync(QoS::Default, std::move(task)); }

private:
    QtRuntime& m_runtime;
};

} // namespace

QtRuntime::QtRuntime()
    : m_mainThread(std::this_thread::get_id())
    , m_pool("global") {
    m_scheduler = std::thread(&QtRuntime::schedulerLoop, this);
}

QtRuntime::~QtRuntime() {
    {
        std::lock_guard lock(m_delayedMutex);
        m_stopping = true;
        m_delayedChanged.notify_all();
    }
    m_scheduler.join();
}

void QtRuntime::mainAsync(Task task) {
    QMetaObject::invokeMethod(&m_mainContext, std::move(task), Qt::QueuedConnection);
}

void QtRuntime::mainAfter(Seconds delay, Task task) {
    Milliseconds ms = toMilliseconds(delay);
    auto start = [this, ms, task = std::move(task)]() mutable {
        singleShotOnMain(&m_mainContext, ms, std::move(task));
    };
    if (isMainThread())
        start();
    else
        mainAsync(std::move(start));
}

bool QtRuntime::isMainThread() const {
    return std::this_thread::get_id() == m_mainThread;
}

void QtRuntime::globalAsync(QoS, Task task) {
    m_pool.submit(std::move(task));
}

void QtRuntime::globalAfter(QoS qos, Seconds delay, Task task) {
    auto deadline = now() + std::chrono::milliseconds(toMilliseconds(delay));
    std::lock_guard lock(m_delayedMutex);
    m_delayed.emplace(deadline, [this, qos, task = std::move(task)]() mutable { globalAsync(qos, std::move(task)); });
    m_delayedChanged.notify_all();
}

std::unique_ptr<DispatchQueue> QtRuntime::makeConcurrentQueue(const std::string&) {
    return std::make_unique<PoolQueue>(*this);
}

std::unique_ptr<Timer> QtRuntime::scheduleTimer(Seconds interval, bool repeats, Task action) {
    return std::make_unique<QtTimer>(*this, &m_mainContext, interval, repeats, std::move(action));
}

std::unique_ptr<Semaphore> QtRuntime::makeSemaphore(int initialValue) {
    return std::make_unique<BlockingSemaphore>(initialValue);
}

std::shared_ptr<Group> QtRuntime::makeGroup() {
    return std::make_shared<BlockingGroup>(*this);
}

void QtRuntime::sleepFor(Seconds duration) {
    std::this_thread::sleep_for(std::chrono::milliseconds(toMilliseconds(duration)));
}

MonotonicTime QtRuntime::now() const {
    return std::chrono::steady_clock::now();
}

WallTime QtRuntime::wallNow() const {
    return std::chrono::system_clock::now();
}

void QtRuntime::schedulerLoop() {
    std::unique_lock lock(m_delayedMutex);
    while (!m_stopping) {
        if (m_delayed.empty()) {
            m_delayedChanged.wait(lock);
            continue;
        }
        auto first = m_delayed.begin();
        if (first->first > now()) {
            m_delayedChanged.wait_until(lock, first->first);
            continue;
        }
        Task task = std::move(first->second);
        m_delayed.erase(first);
        lock.unlock();
        task();
        lock.lock();
    }
}

} // namespace tallowmere
