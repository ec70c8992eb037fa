#include "platform/mac/MacNotificationCenter.h"

#include "platform/mac/FoundationValues.h"

#import <AppKit/AppKit.h>

#include <map>
#include <mutex>
#include <vector>

// Receives one distributed notification name. Selector observers are not retained by the center: the
// MacNotificationCenter keeps it.
@interface TMNotificationForwarder : NSObject
- (instancetype)initWithDelivery:(void (^)(void))delivery;
- (void)deliver:(NSNotification*)notification;
@end

@implementation TMNotificationForwarder {
    void (^_delivery)(void);
}

- (instancetype)initWithDelivery:(void (^)(void))delivery {
    self = [super init];
    if (self)
        _delivery = delivery;
    return self;
}

- (void)deliver:(NSNotification*)notification {
    _delivery();
}

@end

namespace tallowmere {
namespace {

// The ports name notifications by their system names; AppKit's are taken from its constants rather than
// from the assumption that a constant's value is its own name.
NSNotificationName systemName(const std::string& name) {
    static const std::map<std::string, NSNotificationName> appKit = {
        {NotificationName::screenParametersChanged, NSApplicationDidChangeScreenParametersNotification},
        {NotificationName::sessionDidResignActive, NSWorkspaceSessionDidResignActiveNotification},
        {NotificationName::willSleep, NSWorkspaceWillSleepNotification},
        {NotificationName::didWake, NSWorkspaceDidWakeNotification},
        {NotificationName::didMount, NSWorkspaceDidMountNotification},
        {NotificationName::didUnmount, NSWorkspaceDidUnmountNotification},
        {NotificationName::screensDidSleep, NSWorkspaceScreensDidSleepNotification},
        {NotificationName::screensDidWake, NSWorkspaceScreensDidWakeNotification},
    };
    auto known = appKit.find(name);
    return known != appKit.end() ? known->second : toNSString(name);
}

NSNotificationCenter* systemCenter(MacNotificationCenter::Kind kind) {
    switch (kind) {
    case MacNotificationCenter::Kind::application:
        return NSNotificationCenter.defaultCenter;
    case MacNotificationCenter::Kind::workspace:
        return NSWorkspace.sharedWorkspace.notificationCenter;
    case MacNotificationCenter::Kind::distributed:
        return NSDistributedNotificationCenter.defaultCenter;
    }
    return nil;
}

} // namespace

struct MacNotificationCenter::Native {
    std::mutex mutex;
    std::set<std::string> names;
    // Block tokens of the default and workspace centers, forwarders of the distributed one.
    std::vector<id> observers;
};

MacNotificationCenter::MacNotificationCenter(Kind kind, Runtime& runtime)
    : m_kind(kind)
    , m_runtime(runtime)
    , m_native(std::make_unique<Native>()) {}

MacNotificationCenter::~MacNotificationCenter() {
    for (id observer : m_native->observers)
        [systemCenter(m_kind) removeObserver:observer];
}

NotificationCenter::ObserverId MacNotificationCenter::addObserver(const std::string& name, Handler handler) {
    const ObserverId id = m_local->addObserver(name, std::move(handler));
    std::lock_guard lock(m_native->mutex);
    if (!m_native->names.insert(name).second)
        return id;

    // Copies: a block would keep the reference parameter, not the text.
    Runtime* runtime = &m_runtime;
    std::weak_ptr<LocalNotificationCenter> local = m_local;
    const std::string posted = name;
    // Workspace notifications come on the main thread, distributed ones on a thread of their own: every one
    // reaches the observers through the main queue, as the port promises.
    void (^delivery)(void) = ^{
      runtime->mainAsync([local, posted] {
          if (auto center = local.lock())
              center->post(posted);
      });
    };
    NSNotificationName observed = systemName(name);
    if (m_kind != Kind::distributed) {
        m_native->observers.push_back([systemCenter(m_kind) addObserverForName:observed
                                                                        object:nil
                                                                         queue:nil
                                                                    usingBlock:^(NSNotification*) {
                                                                      delivery();
                                                                    }]);
    } else {
        // The names of the lock and screensaver notifications are not in Apple's reference (unconfirmed: they
        // are known from other programs only).
        // A menu-bar application is inactive most of the time, and an inactive one only gets the last of the
        // notifications held back while it was: a lock followed by an unlock would arrive as the unlock alone.
        TMNotificationForwarder* forwarder = [[TMNotificationForwarder alloc] initWithDelivery:delivery];
        [NSDistributedNotificationCenter.defaultCenter addObserver:forwarder
                                                          selector:@selector(deliver:)
                                                              name:observed
                                                            object:nil
                                                suspensionBehavior:NSNotificationSuspensionBehaviorDeliverImmediately];
        m_native->observers.push_back(forwarder);
    }
    return id;
}

void MacNotificationCenter::removeObserver(ObserverId id) {
    m_local->removeObserver(id);
}

} // namespace tallowmere
