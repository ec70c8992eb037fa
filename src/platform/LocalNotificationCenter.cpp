#include "platform/LocalNotificationCenter.h"

#include <vector>

namespace tallowmere {

NotificationCenter::ObserverId LocalNotificationCenter::addObserver(const std::string& name, Handler handler) {
    std::lock_guard lock(m_mutex);
    ObserverId id = m_next++;
    m_observers.emplace(id, Observer{name, std::make_shared<Handler>(std::move(handler))});
    return id;
}

void LocalNotificationCenter::removeObserver(ObserverId id) {
    std::lock_guard lock(m_mutex);
    m_observers.erase(id);
}

void LocalNotificationCenter::post(const std::string& name) {
    // Handlers may add or remove observers, so they run on a copy taken outside the lock.
    std::vector<std::shared_ptr<Handler>> handlers;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [id, observer] : m_observers)
            if (observer.name == name)
                handlers.push_back(observer.handler);
    }
    for (const auto& handler : handlers)
        (*handler)();
}

} // namespace tallowmere
