#pragma once

#include "platform/HttpTransport.h"
#include "platform/Platform.h"
#include "platform/PreferenceStore.h"

#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tallowmere {

// One operating system's services as the entry point sees them: the simulated Mac, a Linux desktop or a real Mac.
// Made on the main thread once the QApplication exists, then started once.
class PlatformBackend {
public:
    virtual ~PlatformBackend() = default;

    // Attaches to the system; false, with the reason in `error`, when the application cannot run on it.
    virtual bool start(std::string* error) = 0;
    // Detaches before the process ends.
    virtual void stop() {}

    virtual Platform platform() = 0;
    // Where the analytics client sends its signals, and where it keeps its own values.
    virtual std::shared_ptr<HttpTransport> analyticsTransport() = 0;
    virtual PreferenceStore& analyticsPreferences() = 0;

    // Answers a `macsim ui …` request on the main thread with its exit status, its output and one line of error.
    struct UserInterfaceAnswer {
        int status = 0;
        std::string output;
        std::string error;
    };
    using UserInterfaceDriver =
        std::function<UserInterfaceAnswer(const QString& command, const std::vector<QString>& arguments)>;
    // Only a platform that can be driven from outside (the simulated Mac) takes one; the others ignore it.
    virtual void setUserInterfaceDriver(UserInterfaceDriver) {}
};

} // namespace tallowmere
