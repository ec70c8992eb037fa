#include "platform/ElasticThreadPool.h"

#include <chrono>
#include <thread>

namespace tallowmere {
namespace {
constexpr auto idleLifetime = std::chrono::seconds(10);
}

ElasticThreadPool::ElasticThreadPool(std::string name, int maximumThreads)
    : m_name(std::move(name))
    , m_maximumThreads(maximumThreads) {}

ElasticThreadPool::~ElasticThreadPool() {
    std::unique_lock lock(m_mutex);
    m_stopping = true;
    m_tasks.clear();
    m_workAvailable.notify_all();
    m_allExited.wait(lock, [this] { return m_threads == 0; });
}

void ElasticThreadPool::submit(Task task) {
    std::lock_guard lock(m_mutex);
    if (m_stopping)
        return;
    m_tasks.push_back(std::move(task));
    if (m_idle >= static_cast<int>(m_tasks.size()) || m_threads >= m_maximumThreads) {
        m_workAvailable.notify_one();
        return;
    }
    ++m_threads;
    std::thread(&ElasticThreadPool::workerLoop, this).detach();
}

int ElasticThreadPool::threadCount() const {
    std::lock_guard lock(m_mutex);
    return m_threads;
}

void ElasticThreadPool::workerLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_tasks.empty()) {
            Task task = std::move(m_tasks.front());
            m_tasks.pop_front();
            lock.unlock();
            task();
            task = nullptr; // captured state is released outside the lock
            lock.lock();
            continue;
        }
        if (m_stopping)
            break;
        ++m_idle;
        bool woke = m_workAvailable.wait_for(lock, idleLifetime, [this] { return !m_tasks.empty() || m_stopping; });
        --m_idle;
        if (!woke)
            break;
    }
    --m_threads;
    m_allExited.notify_all();
}

} // namespace tallowmere
