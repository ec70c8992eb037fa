#pragma once

#include "platform/NotificationCenter.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace tallowmere {

// One notification center of the simulated Mac (default, workspace or distributed). Events from macsim are
// handed to `post` on the main queue, so handlers run on the main thread as on a Mac.
class SimNotificationCenter : public NotificationCenter {
public:
    ObserverId addObserver(const std::string& name, Handler handler) override;
    void removeObserver(ObserverId id) override;

    // Main thread: calls every observer of `name`, in the order they were added.
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
