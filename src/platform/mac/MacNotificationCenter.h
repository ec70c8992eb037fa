#pragma once

#include "platform/LocalNotificationCenter.h"
#include "platform/Runtime.h"

#include <memory>
#include <set>
#include <string>

namespace tallowmere {

// One of the system's notification centers. A name is observed there from its first observer on; each
// notification is handed to the main queue, where the observers of its name run.
class MacNotificationCenter : public NotificationCenter {
public:
    enum class Kind {
        application, // the process's default center (screen parameters)
        workspace,   // the shared workspace's (sleep, wake, screens, session, mount, unmount)
        distributed, // the distributed one (screen lock and screensaver), delivered also while inactive
    };

    MacNotificationCenter(Kind kind, Runtime& runtime);
    ~MacNotificationCenter() override;
    MacNotificationCenter(const MacNotificationCenter&) = delete;
    MacNotificationCenter& operator=(const MacNotificationCenter&) = delete;

    ObserverId addObserver(const std::string& name, Handler handler) override;
    void removeObserver(ObserverId id) override;

private:
    struct Native;

    Kind m_kind;
    Runtime& m_runtime;
    std::shared_ptr<LocalNotificationCenter> m_local = std::make_shared<LocalNotificationCenter>();
    std::unique_ptr<Native> m_native;
};

} // namespace tallowmere
