#include "platform/mac/MacLoginItem.h"

#import <ServiceManagement/ServiceManagement.h>

namespace tallowmere {

// The errors (whose codes are unconfirmed) are dropped: registration fails silently and is tried again at the
// next launch.
bool MacLoginItem::registerApp() {
    return [SMAppService.mainAppService registerAndReturnError:nil];
}

bool MacLoginItem::unregisterApp() {
    return [SMAppService.mainAppService unregisterAndReturnError:nil];
}

} // namespace tallowmere
