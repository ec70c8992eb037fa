#include "platform/mac/MacUserNotificationCenter.h"

#include "platform/UserNotificationService.h"
#include "platform/mac/FoundationValues.h"

#import <UserNotifications/UserNotifications.h>

// The center's delegate, which it holds weakly: MacUserNotificationCenter keeps it.
@interface TMNotificationPresenter : NSObject <UNUserNotificationCenterDelegate>
- (instancetype)initWithDelegate:(std::weak_ptr<tallowmere::UserNotificationCenterDelegate>)delegate;
@end

@implementation TMNotificationPresenter {
    std::weak_ptr<tallowmere::UserNotificationCenterDelegate> _delegate;
}

- (instancetype)initWithDelegate:(std::weak_ptr<tallowmere::UserNotificationCenterDelegate>)delegate {
    self = [super init];
    if (self)
        _delegate = std::move(delegate);
    return self;
}

// Asked only while the application is frontmost; a notification whose handler is never called is not shown.
// The thread it comes on is not documented (unconfirmed); the port's delegate answers from any thread.
- (void)userNotificationCenter:(UNUserNotificationCenter*)center
       willPresentNotification:(UNNotification*)notification
         withCompletionHandler:(void (^)(UNNotificationPresentationOptions options))completionHandler {
    auto delegate = _delegate.lock();
    if (!delegate) {
        completionHandler(UNNotificationPresentationOptions(0));
        return;
    }
    UNNotificationRequest* request = notification.request;
    tallowmere::NotificationRequest shown{tallowmere::toStdString(request.identifier),
                                          tallowmere::toStdString(request.content.title),
                                          tallowmere::toStdString(request.content.body), request.content.sound != nil};
    completionHandler(static_cast<UNNotificationPresentationOptions>(delegate->willPresentNotification(shown)));
}

@end

namespace tallowmere {

// The port's options and statuses are the service's raw values: they pass through as they are.
static_assert(AuthorizationOption::badge == UNAuthorizationOptionBadge);
static_assert(AuthorizationOption::sound == UNAuthorizationOptionSound);
static_assert(AuthorizationOption::alert == UNAuthorizationOptionAlert);
static_assert(PresentationOption::badge == UNNotificationPresentationOptionBadge);
static_assert(PresentationOption::sound == UNNotificationPresentationOptionSound);
static_assert(PresentationOption::list == UNNotificationPresentationOptionList);
static_assert(PresentationOption::banner == UNNotificationPresentationOptionBanner);
static_assert(UNAuthorizationStatusDenied == 1 && UNAuthorizationStatusAuthorized == 2 &&
              UNAuthorizationStatusProvisional == 3 && UNAuthorizationStatusEphemeral == 4);

namespace {

UserNotificationCenter::ErrorText errorText(NSError* error) {
    if (!error)
        return std::nullopt;
    return toStdString(error.localizedDescription);
}

} // namespace

struct MacUserNotificationCenter::Native {
    TMNotificationPresenter* presenter = nil;
};

MacUserNotificationCenter::MacUserNotificationCenter(Runtime& runtime, const std::string& executablePath)
    : m_runtime(runtime)
    // The center throws for a process that is not an application bundle's.
    , m_isServed(UserNotificationService::servesExecutable(executablePath) && NSBundle.mainBundle.bundleIdentifier)
    , m_native(std::make_unique<Native>()) {}

MacUserNotificationCenter::~MacUserNotificationCenter() = default;

void MacUserNotificationCenter::setDelegate(std::weak_ptr<UserNotificationCenterDelegate> delegate) {
    if (!m_isServed)
        return;
    m_native->presenter = [[TMNotificationPresenter alloc] initWithDelegate:std::move(delegate)];
    UNUserNotificationCenter.currentNotificationCenter.delegate = m_native->presenter;
}

// Completions run on the service's threads (Apple: possibly a background thread).
void MacUserNotificationCenter::requestAuthorization(unsigned options,
                                                     std::function<void(bool granted, ErrorText error)> done) {
    if (!m_isServed) {
        m_runtime.globalAsync(QoS::Default, [done = std::move(done)] {
            done(false, std::string(UserNotificationService::unavailableError));
        });
        return;
    }
    [UNUserNotificationCenter.currentNotificationCenter
        requestAuthorizationWithOptions:static_cast<UNAuthorizationOptions>(options)
                      completionHandler:^(BOOL granted, NSError* error) {
                        done(granted, errorText(error));
                      }];
}

void MacUserNotificationCenter::getAuthorizationStatus(std::function<void(AuthorizationStatus)> done) {
    if (!m_isServed) {
        m_runtime.globalAsync(QoS::Default, [done = std::move(done)] { done(AuthorizationStatus::denied); });
        return;
    }
    [UNUserNotificationCenter.currentNotificationCenter
        getNotificationSettingsWithCompletionHandler:^(UNNotificationSettings* settings) {
          done(UserNotificationService::statusFromRawValue(settings.authorizationStatus));
        }];
}

void MacUserNotificationCenter::add(const NotificationRequest& request, std::function<void(ErrorText error)> done) {
    if (!m_isServed) {
        if (done)
            m_runtime.globalAsync(QoS::Default, [done = std::move(done)] {
                done(std::string(UserNotificationService::unavailableError));
            });
        return;
    }
    UNMutableNotificationContent* content = [[UNMutableNotificationContent alloc] init];
    content.title = toNSString(request.title) ?: @"";
    content.body = toNSString(request.body) ?: @"";
    if (request.defaultSound)
        content.sound = UNNotificationSound.defaultSound;
    // No trigger: delivered at once (unconfirmed: Apple's reference does not say so for macOS).
    UNNotificationRequest* native = [UNNotificationRequest requestWithIdentifier:toNSString(request.identifier) ?: @""
                                                                         content:content
                                                                         trigger:nil];
    [UNUserNotificationCenter.currentNotificationCenter addNotificationRequest:native
                                                         withCompletionHandler:^(NSError* error) {
                                                           if (done)
                                                               done(errorText(error));
                                                         }];
}

} // namespace tallowmere
