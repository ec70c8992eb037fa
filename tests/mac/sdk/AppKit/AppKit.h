#pragma once
#import <Foundation/Foundation.h>

// §4 (NSWorkspace.h).
@interface NSWorkspace : NSObject
@property(class, readonly, strong) NSWorkspace* sharedWorkspace;
@property(readonly, strong) NSNotificationCenter* notificationCenter;
- (BOOL)openURL:(NSURL*)url;
- (BOOL)unmountAndEjectDeviceAtURL:(NSURL*)url error:(NSError**)error;
@end
extern "C" NSNotificationName NSWorkspaceWillSleepNotification;
extern "C" NSNotificationName NSWorkspaceDidWakeNotification;
extern "C" NSNotificationName const NSWorkspaceScreensDidSleepNotification;
extern "C" NSNotificationName const NSWorkspaceScreensDidWakeNotification;
extern "C" NSNotificationName NSWorkspaceSessionDidResignActiveNotification;
extern "C" NSNotificationName NSWorkspaceDidMountNotification;
extern "C" NSNotificationName NSWorkspaceDidUnmountNotification;

// §5 (NSApplication.h, NSRunningApplication.h, NSScreen.h).
typedef NS_ENUM(NSInteger, NSApplicationActivationPolicy) { NSApplicationActivationPolicyAccessory = 1 };
typedef NS_ENUM(NSUInteger, NSRequestUserAttentionType) { NSInformationalRequest = 10 };
@interface NSApplication : NSObject
- (BOOL)setActivationPolicy:(NSApplicationActivationPolicy)activationPolicy;
- (void)activateIgnoringOtherApps:(BOOL)ignoreOtherApps;
- (void)activate API_AVAILABLE_MACOS(14.0);
- (NSInteger)requestUserAttention:(NSRequestUserAttentionType)requestType;
@end
extern "C" __kindof NSApplication* _Null_unspecified NSApp;
extern "C" NSNotificationName NSApplicationDidChangeScreenParametersNotification;
@interface NSScreen : NSObject
@property(class, readonly, copy) NSArray<NSScreen*>* screens;
@end
