#include "platform/mac/MacApplication.h"

#import <AppKit/AppKit.h>

namespace tallowmere {

int MacApplication::screenCount() {
    return static_cast<int>(NSScreen.screens.count);
}

void MacApplication::setAccessoryActivationPolicy() {
    [NSApp setActivationPolicy:NSApplicationActivationPolicyAccessory];
}

void MacApplication::activateIgnoringOtherApps() {
    // Only a request either way; macOS 14 replaced the call that ignored other applications.
    if (@available(macOS 14.0, *))
        [NSApp activate];
    else
        [NSApp activateIgnoringOtherApps:YES];
}

void MacApplication::requestUserAttention() {
    [NSApp requestUserAttention:NSInformationalRequest];
}

} // namespace tallowmere
