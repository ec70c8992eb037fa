#pragma once
// MACOS_API.md §8 (DASession.h).
#include <CoreFoundation/CoreFoundation.h>

typedef struct CF_BRIDGED_TYPE(id) __DASession* DASessionRef;

extern "C" {
DASessionRef __nullable DASessionCreate(CFAllocatorRef __nullable allocator);
void DASessionScheduleWithRunLoop(DASessionRef session, CFRunLoopRef runLoop, CFStringRef runLoopMode);
void DASessionUnscheduleFromRunLoop(DASessionRef session, CFRunLoopRef runLoop, CFStringRef runLoopMode);
}
