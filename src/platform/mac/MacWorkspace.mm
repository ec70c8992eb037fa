#include "platform/mac/MacWorkspace.h"

#include "platform/mac/FoundationValues.h"

#import <AppKit/AppKit.h>

namespace tallowmere {

std::optional<std::string> MacWorkspace::unmountAndEjectDevice(const std::string& mountPath) {
    @autoreleasepool {
        NSString* path = toNSString(mountPath);
        if (!path)
            return "The volume's path is not UTF-8 text.";
        NSError* error = nil;
        if ([NSWorkspace.sharedWorkspace unmountAndEjectDeviceAtURL:[NSURL fileURLWithPath:path] error:&error])
            return std::nullopt;
        return error ? toStdString(error.localizedDescription) : std::string("The volume could not be ejected.");
    }
}

bool MacWorkspace::openURL(const std::string& url) {
    NSString* text = toNSString(url);
    NSURL* parsed = text ? [NSURL URLWithString:text] : nil;
    return parsed && [NSWorkspace.sharedWorkspace openURL:parsed];
}

} // namespace tallowmere
