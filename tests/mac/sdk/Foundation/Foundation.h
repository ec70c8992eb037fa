#pragma once
#include <CoreFoundation/CoreFoundation.h>

// Not on the sheet: the Objective-C basics every Foundation class rests on.
typedef signed char BOOL; // x86_64
#define YES __objc_yes
#define NO __objc_no
#define nil nullptr
typedef long NSInteger;
typedef unsigned long NSUInteger;
#define NS_ENUM(type, name)                                                                                            \
    enum name : type name;                                                                                             \
    enum name : type
#define NS_OPTIONS(type, name)                                                                                         \
    enum name : type name;                                                                                             \
    enum name : type
#define API_AVAILABLE_MACOS(version) __attribute__((availability(macos, introduced = version)))

@protocol NSObject
@end
__attribute__((objc_root_class))
@interface NSObject<NSObject>
+ (instancetype)alloc;
- (instancetype)init;
@end
@class NSArray, NSDictionary, NSError, NSNotification, NSOperationQueue, NSURL;

// Not on the sheet: NSString, NSData, NSArray, NSError, NSURL, NSPropertyListSerialization.
typedef NSUInteger NSStringEncoding;
enum { NSUTF8StringEncoding = 4 };
@interface NSString : NSObject
- (nullable instancetype)initWithBytes:(const void*)bytes length:(NSUInteger)len encoding:(NSStringEncoding)encoding;
@property(nullable, readonly) const char* UTF8String;
@end
@interface NSData : NSObject
+ (instancetype)dataWithBytes:(nullable const void*)bytes length:(NSUInteger)length;
@property(readonly) const void* bytes;
@property(readonly) NSUInteger length;
@end
@interface NSArray<ObjectType> : NSObject
@property(readonly) NSUInteger count;
- (ObjectType)objectAtIndex:(NSUInteger)index;
@end
@interface NSError : NSObject
@property(readonly, copy) NSString* localizedDescription;
@end
@interface NSURL : NSObject
+ (NSURL*)fileURLWithPath:(NSString*)path;
+ (nullable instancetype)URLWithString:(NSString*)URLString;
@end
typedef NSString* NSNotificationName;
typedef NS_ENUM(NSUInteger, NSPropertyListFormat) { NSPropertyListXMLFormat_v1_0 = 100 };
typedef NS_OPTIONS(NSUInteger, NSPropertyListMutabilityOptions) { NSPropertyListImmutable = 0 };
@interface NSPropertyListSerialization : NSObject
+ (nullable NSData*)dataWithPropertyList:(id)plist
                                  format:(NSPropertyListFormat)format
                                 options:(NSUInteger)opt
                                   error:(NSError**)error;
+ (nullable id)propertyListWithData:(NSData*)data
                            options:(NSPropertyListMutabilityOptions)opt
                             format:(nullable NSPropertyListFormat*)format
                              error:(NSError**)error;
@end

// §CF ownership.
inline id CFBridgingRelease(CFTypeRef X) {
    return (__bridge_transfer id)X;
}

// §4 (NSDistributedNotificationCenter.h and what it inherits).
@interface NSNotificationCenter : NSObject
@property(class, readonly, strong) NSNotificationCenter* defaultCenter; // not on the sheet
- (id<NSObject>)addObserverForName:(nullable NSNotificationName)name
                            object:(nullable id)obj
                             queue:(nullable NSOperationQueue*)queue
                        usingBlock:(void (^)(NSNotification* note))block;
- (void)removeObserver:(id)observer;
@end
typedef NS_ENUM(NSUInteger, NSNotificationSuspensionBehavior) {
    NSNotificationSuspensionBehaviorDeliverImmediately = 4
};
@interface NSDistributedNotificationCenter : NSNotificationCenter
+ (NSDistributedNotificationCenter*)defaultCenter;
- (void)addObserver:(id)observer
              selector:(SEL)selector
                  name:(nullable NSNotificationName)name
                object:(nullable NSString*)object
    suspensionBehavior:(NSNotificationSuspensionBehavior)suspensionBehavior;
@end

// §3 (NSProcessInfo.h).
@interface NSProcessInfo : NSObject
@property(class, readonly, strong) NSProcessInfo* processInfo; // not on the sheet
@property(readonly, getter=isLowPowerModeEnabled) BOOL lowPowerModeEnabled API_AVAILABLE_MACOS(12.0);
@end

// §5 (NSBundle.h).
@interface NSBundle : NSObject
@property(class, readonly, strong) NSBundle* mainBundle;
@property(nullable, readonly, copy) NSString* bundleIdentifier;
- (nullable id)objectForInfoDictionaryKey:(NSString*)key;
@end

// §9 (NSUserDefaults.h) and key-value observing as its note names it.
@interface NSUserDefaults : NSObject
@property(class, readonly, strong) NSUserDefaults* standardUserDefaults;
- (nullable instancetype)initWithSuiteName:(nullable NSString*)suitename; // not on the sheet
- (nullable id)objectForKey:(NSString*)defaultName;
- (void)setObject:(nullable id)value forKey:(NSString*)defaultName;
- (void)removeObjectForKey:(NSString*)defaultName;
@end
typedef NS_OPTIONS(NSUInteger, NSKeyValueObservingOptions) { NSKeyValueObservingOptionNew = 0x01 };
@interface NSObject (NSKeyValueObserving)
- (void)observeValueForKeyPath:(nullable NSString*)keyPath
                      ofObject:(nullable id)object
                        change:(nullable NSDictionary*)change
                       context:(nullable void*)context; // not on the sheet
- (void)addObserver:(NSObject*)observer
         forKeyPath:(NSString*)keyPath
            options:(NSKeyValueObservingOptions)options
            context:(nullable void*)context;
- (void)removeObserver:(NSObject*)observer forKeyPath:(NSString*)keyPath context:(nullable void*)context;
@end
