#pragma once
// MACOS_API.md §1 (IOMessage.h).
#define kIOMessageCanSystemSleep 0xE0000270
#define kIOMessageSystemWillSleep 0xE0000280
#define kIOMessageSystemWillNotSleep 0xE0000290
#define kIOMessageSystemHasPoweredOn 0xE0000300
