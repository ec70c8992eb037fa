#pragma once

#include "platform/ElasticThreadPool.h"
#include "platform/Runtime.h"

#include <QObject>
#include <QPointer>

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace tallowmere {

// The production runtime: the main queue is the Qt event loop of the thread that creates it; the global
// queues share an elastic thread pool; delayed global work waits on a scheduler thread of its own.
class QtRuntime : public Runtime {
public:
    QtRuntime();
    ~QtRuntime() override;

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

private:
    void schedulerLoop();

    QObject m_mainContext;
    std::thread::id m_mainThread;
    ElasticThreadPool m_pool;

    std::mutex m_delayedMutex;
    std::condition_variable m_delayedChanged;
    std::multimap<MonotonicTime, Task> m_delayed;
    bool m_stopping = false;
    std::thread m_scheduler;
};

} // namespace tallowmere
