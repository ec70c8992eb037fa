#pragma once

#include "platform/Runtime.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>

namespace tallowmere {

// A thread pool that never lets queued work wait behind blocked tasks: when no thread is idle, a new one
// starts. Idle threads end after a while, so the pool shrinks back once a burst is over.
class ElasticThreadPool {
public:
    explicit ElasticThreadPool(std::string name, int maximumThreads = 512);
    ~ElasticThreadPool();
    ElasticThreadPool(const ElasticThreadPool&) = delete;
    ElasticThreadPool& operator=(const ElasticThreadPool&) = delete;

    void submit(Task task);
    int threadCount() const;

private:
    void workerLoop();

    std::string m_name;
    int m_maximumThreads;
    mutable std::mutex m_mutex;
    std::condition_variable m_workAvailable;
    std::condition_variable m_allExited;
    std::deque<Task> m_tasks;
    int m_threads = 0;
    int m_idle = 0;
    bool m_stopping = false;
};

} // namespace tallowmere
