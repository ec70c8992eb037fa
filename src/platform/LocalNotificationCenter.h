#pragma once

#include "platform/NotificationCenter.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace tallowmere {

// A notification center kept in this process: an adapter learns of an event and posts its name on the main
// thread, where every observer of that name runs, in the order they were added.
class LocalNotificationCenter : public NotificationCenter {
public:
    ObserverId addObserver(const std::string& name, Handler handler) override;
    void removeObserver(ObserverId id) override;

    // Main thread.
    void post(const std::string& name);

private:
    struct Observer {
        std::string name;
        std::shared_ptr<Handler> handler;
    };
    std::mutex m_mutex;
    std::map<ObserverId, Observer> m_observers;
    ObserverId m_next = 1;
};

} // namespace tallowmere
