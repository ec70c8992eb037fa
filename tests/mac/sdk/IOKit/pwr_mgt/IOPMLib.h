#pragma once
// MACOS_API.md §1 and §2 (IOPMLib.h).
#include <IOKit/IOKitLib.h>

typedef uint32_t IOPMAssertionID;
enum { kIOPMNullAssertionID = 0 };
typedef uint32_t IOPMAssertionLevel;
enum { kIOPMAssertionLevelOn = 255 };

extern "C" {
io_connect_t IORegisterForSystemPower(void* refcon, IONotificationPortRef* thePortRef,
                                      IOServiceInterestCallback callback, io_object_t* notifier);
IOReturn IODeregisterForSystemPower(io_object_t* notifier);
IOReturn IOAllowPowerChange(io_connect_t kernelPort, intptr_t notificationID);
IOReturn IOPMAssertionCreateWithName(CFStringRef AssertionType, IOPMAssertionLevel AssertionLevel,
                                     CFStringRef AssertionName, IOPMAssertionID* AssertionID);
IOReturn IOPMAssertionRelease(IOPMAssertionID AssertionID);
}
