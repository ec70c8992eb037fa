#pragma once

#include "platform/NotificationCenter.h"

#include <map>
#include <mutex>
#include <vector>

namespace tallowmere::test {

// A notification center a test posts to by hand; handlers run on the posting thread (the test's main thread).
class FakeNotificationCenter : public NotificationCenter {
public:
    ObserverId addObserver(const std::string& name, Handler handler) override {
        std::lock_guard lock(m_mutex);
        m_observers.emplace(m_next, Observer{name, std::move(handler)});
        return m_next++;
    }
    void removeObserver(ObserverId id) override {
        std::lock_guard lock(m_mutex);
        m_observers.erase(id);
    }

    void post(const std::string& name) {
        std::vector<Handler> handlers;
        {
            std::lock_guard lock(m_mutex);
            for (const auto& [id, observer] : m_observers)
                if (observer.name == name)
                    handlers.push_back(observer.handler);
        }
        for (const Handler& handler : handlers)
            handler();
    }
    int observerCount(const std::string& name) const {
        std::lock_guard lock(m_mutex);
        int count = 0;
        for (const auto& [id, observer] : m_observers)
            count += observer.name == name;
        return count;
    }

private:
    struct Observer {
        std::string name;
        Handler handler;
    };
    mutable std::mutex m_mutex;
    std::map<ObserverId, Observer> m_observers;
    ObserverId m_next = 1;
};

} // namespace tallowmere::test
