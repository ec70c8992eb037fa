#pragma once
// MACOS_API.md §1 (IOKitLib.h, IOTypes.h, IOReturn.h).
#include <CoreFoundation/CoreFoundation.h>

typedef unsigned int mach_port_t;
typedef int kern_return_t;
typedef mach_port_t io_object_t;
typedef io_object_t io_connect_t;
typedef io_object_t io_service_t;
#define IO_OBJECT_NULL ((io_object_t)0)
typedef kern_return_t IOReturn;
typedef struct IONotificationPort* IONotificationPortRef;
typedef void (*IOServiceInterestCallback)(void* refcon, io_service_t service, uint32_t messageType,
                                          void* messageArgument);

extern "C" {
CFRunLoopSourceRef IONotificationPortGetRunLoopSource(IONotificationPortRef notify);
void IONotificationPortDestroy(IONotificationPortRef notify);
kern_return_t IOServiceClose(io_connect_t connect);
}
