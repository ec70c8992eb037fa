#pragma once
// Not on the sheet: what Qt's qsystemdetection.h tests to tell macOS from Apple's other systems.
#define TARGET_OS_MAC 1
#define TARGET_OS_OSX 1
#define TARGET_OS_IPHONE 0
#define TARGET_OS_IOS 0
#define TARGET_OS_TV 0
#define TARGET_OS_WATCH 0
#define TARGET_OS_VISION 0
#define TARGET_OS_SIMULATOR 0
#define TARGET_OS_MACCATALYST 0
#define TARGET_CPU_X86_64 1
#define TARGET_CPU_ARM64 0
#define TARGET_RT_64_BIT 1
