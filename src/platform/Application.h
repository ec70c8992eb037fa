#pragma once

#include "platform/NotificationCenter.h"

namespace tallowmere {

// The shared application, its screens and the process's default and distributed notification centers.
class Application {
public:
    virtual ~Application() = default;
    virtual NotificationCenter& defaultCenter() = 0;
    virtual NotificationCenter& distributedCenter() = 0;
    virtual int screenCount() = 0;
    // No Dock icon and no main menu of its own (the accessory activation policy).
    virtual void setAccessoryActivationPolicy() = 0;
    virtual void activateIgnoringOtherApps() = 0;
    virtual void requestUserAttention() = 0;
    // Ends the process after the delegate's will-terminate step; `willTerminate` runs first.
    virtual void terminate() = 0;
};

} // namespace tallowmere
