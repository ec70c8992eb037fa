#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tallowmere {

using Task = std::function<void()>;
using Seconds = std::chrono::duration<double>;
using MonotonicTime = std::chrono::steady_clock::time_point;
using WallTime = std::chrono::system_clock::time_point;

// Quality of service of the global concurrent queues.
enum class QoS { UserInitiated, Default, Utility };

// A one-shot or repeating timer on the main loop. Invalidating (or destroying) it stops further firings.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
};

// A counting semaphore. `wait` returns false when the timeout passed first.
class Semaphore {
public:
    virtual ~Semaphore() = default;
    virtual void signal() = 0;
    virtual bool wait(std::optional<Seconds> timeout = std::nullopt) = 0;
};

// A dispatch group: work enters and leaves; waiters and notifications run once it is empty.
class Group {
public:
    virtual ~Group() = default;
    virtual void enter() = 0;
    virtual void leave() = 0;
    virtual bool wait(std::optional<Seconds> timeout = std::nullopt) = 0;
    virtual void notifyMain(Task task) = 0;
    virtual void notifyGlobal(QoS qos, Task task) = 0;
};

// A concurrent queue of its own (for fan-out work that should be labelled apart from the global queues).
class DispatchQueue {
public:
    virtual ~DispatchQueue() = default;
    virtual void async(Task task) = 0;
};

// Time and threads. Production runs on the Qt event loop and an elastic thread pool; tests run on virtual time.
class Runtime {
public:
    virtual ~Runtime() = default;

    virtual void mainAsync(Task task) = 0;
    virtual void mainAfter(Seconds delay, Task task) = 0;
    virtual bool isMainThread() const = 0;

    virtual void globalAsync(QoS qos, Task task) = 0;
    virtual void globalAfter(QoS qos, Seconds delay, Task task) = 0;
    virtual std::unique_ptr<DispatchQueue> makeConcurrentQueue(const std::string& label) = 0;

    // Timers fire on the main loop, also while a menu is being tracked.
    virtual std::unique_ptr<Timer> scheduleTimer(Seconds interval, bool repeats, Task action) = 0;

    virtual std::unique_ptr<Semaphore> makeSemaphore(int initialValue = 0) = 0;
    virtual std::shared_ptr<Group> makeGroup() = 0;
    // Blocks the calling (background) thread.
    virtual void sleepFor(Seconds duration) = 0;

    virtual MonotonicTime now() const = 0;
    virtual WallTime wallNow() const = 0;
};

// The weak-owner idiom: the returned callable runs `body(owner)` only while the owner is still alive.
template <class T, class F> auto weakly(const std::shared_ptr<T>& owner, F body) {
    return [weak = std::weak_ptr<T>(owner), body = std::move(body)]() mutable {
        if (auto strong = weak.lock())
            body(*strong);
    };
}

} // namespace tallowmere
