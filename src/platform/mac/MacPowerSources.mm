#include "platform/mac/MacPowerSources.h"

#include "platform/mac/FoundationValues.h"

#include <IOKit/ps/IOPowerSources.h>

namespace tallowmere {

std::optional<std::vector<std::optional<PropertyValue>>> MacPowerSources::powerSourceDescriptions() {
    @autoreleasepool {
        CFTypeRef info = IOPSCopyPowerSourcesInfo();
        if (!info)
            return std::nullopt;
        // Precise lifetimes: ARC may otherwise let go of an object after its last use, and the descriptions are
        // borrowed from the snapshot.
        __attribute__((objc_precise_lifetime)) id snapshot = CFBridgingRelease(info);
        CFArrayRef sources = IOPSCopyPowerSourcesList((__bridge CFTypeRef)snapshot);
        if (!sources)
            return std::nullopt;
        __attribute__((objc_precise_lifetime)) NSArray* list = CFBridgingRelease(sources);
        std::vector<std::optional<PropertyValue>> descriptions;
        for (NSUInteger index = 0; index < list.count; ++index) {
            CFDictionaryRef description = IOPSGetPowerSourceDescription((__bridge CFTypeRef)snapshot,
                                                                        (__bridge CFTypeRef)[list objectAtIndex:index]);
            descriptions.push_back(toPropertyValue((__bridge id)description));
        }
        return descriptions;
    }
}

bool MacPowerSources::isLowPowerModeEnabled() {
    // The change notification is not observed: the battery rules read the flag at each of their checks.
    if (@available(macOS 12.0, *))
        return NSProcessInfo.processInfo.isLowPowerModeEnabled;
    return false;
}

} // namespace tallowmere
