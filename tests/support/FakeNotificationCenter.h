#pragma once

#include "platform/NotificationCenter.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace tallowmere::test {

// A notification center a test posts to by hand; handlers run on the posting thread (the test's main thread).
class FakeNotificationCenter : public NotificationCenter {
public:
    ObserverId addObserver(const std::string& name, Handler handler) override {
        std::lock_guard lock(m_mutex);
        if (m_subscriptionLog)
            m_subscriptionLog->push_back(name);
        m_observers.emplace(m_next, std::pair(name, std::move(handler)));
        return m_next++;
    }
    void removeObserver(ObserverId id) override {
        std::lock_guard lock(m_mutex);
        m_observers.erase(id);
    }

    void post(const std::string& name) {
        std::unique_lock lock(m_mutex);
        auto observers = m_observers;
        lock.unlock();
        for (const auto& [id, observer] : observers)
            if (observer.first == name)
                observer.second();
    }
    // Appends the name of every later subscription to `log` (which several centers may share).
    void recordSubscriptionsInto(std::shared_ptr<std::vector<std::string>> log) {
        std::lock_guard lock(m_mutex);
        m_subscriptionLog = std::move(log);
    }
    int observerCount(const std::string& name) const {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(
            std::ranges::count(m_observers, name, [](const auto& entry) { return entry.second.first; }));
    }

private:
    mutable std::mutex m_mutex;
    std::map<ObserverId, std::pair<std::string, Handler>> m_observers;
    ObserverId m_next = 1;
    std::shared_ptr<std::vector<std::string>> m_subscriptionLog;
};

} // namespace tallowmere::test
