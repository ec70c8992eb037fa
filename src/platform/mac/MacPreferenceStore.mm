#include "platform/mac/MacPreferenceStore.h"

#include "platform/Log.h"
#include "platform/PropertyList.h"
#include "platform/mac/FoundationValues.h"

#include <mutex>
#include <vector>

// Tells the store's observers of a change key-value observing reported.
@interface TMDefaultsObserver : NSObject
- (instancetype)initWithObservers:(tallowmere::PreferenceObservers*)observers;
@end

@implementation TMDefaultsObserver {
    tallowmere::PreferenceObservers* _observers;
}

- (instancetype)initWithObservers:(tallowmere::PreferenceObservers*)observers {
    self = [super init];
    if (self)
        _observers = observers;
    return self;
}

- (void)observeValueForKeyPath:(NSString*)keyPath
                      ofObject:(id)object
                        change:(NSDictionary*)change
                       context:(void*)context {
    _observers->platformReported();
}

@end

namespace tallowmere {

struct MacPreferenceStore::Native {
    NSUserDefaults* defaults = nil;
    TMDefaultsObserver* observer = nil;
    std::mutex mutex;
    std::vector<NSString*> watchedKeys;
};

MacPreferenceStore::MacPreferenceStore(const std::string& suiteName)
    : m_native(std::make_unique<Native>()) {
    m_native->defaults = suiteName.empty() ? NSUserDefaults.standardUserDefaults
                                           : [[NSUserDefaults alloc] initWithSuiteName:toNSString(suiteName)];
    m_native->observer = [[TMDefaultsObserver alloc] initWithObservers:&m_observers];
}

MacPreferenceStore::~MacPreferenceStore() {
    std::lock_guard lock(m_native->mutex);
    for (NSString* key : m_native->watchedKeys)
        [m_native->defaults removeObserver:m_native->observer forKeyPath:key context:nullptr];
}

// Whether key-value observing may be registered from any thread is not documented (unconfirmed); reads come
// from the main thread and from background work alike.
void MacPreferenceStore::watch(std::string_view key) const {
    if (!m_observers.isFirstUse(key))
        return;
    NSString* name = toNSString(key);
    if (!name)
        return;
    std::lock_guard lock(m_native->mutex);
    [m_native->defaults addObserver:m_native->observer
                         forKeyPath:name
                            options:NSKeyValueObservingOptionNew
                            context:nullptr];
    m_native->watchedKeys.push_back(name);
}

std::optional<PropertyValue> MacPreferenceStore::object(std::string_view key) const {
    @autoreleasepool {
        watch(key);
        NSString* name = toNSString(key);
        return name ? toPropertyValue([m_native->defaults objectForKey:name]) : std::nullopt;
    }
}

void MacPreferenceStore::setObject(std::string_view key, PropertyValue value) {
    @autoreleasepool {
        id object = toFoundationObject(value);
        if (!PropertyList::isWritableText(key) || !object) {
            logError(LogCategory::platformMac(),
                     "Preferences: refused to store a value: a text in it is not UTF-8 or holds a NUL character");
            return;
        }
        NSString* name = toNSString(key);
        watch(key);
        m_observers.ownWrite([&] { [m_native->defaults setObject:object forKey:name]; });
    }
}

void MacPreferenceStore::removeObject(std::string_view key) {
    @autoreleasepool {
        NSString* name = toNSString(key);
        if (!name)
            return;
        watch(key);
        m_observers.ownWrite([&] { [m_native->defaults removeObjectForKey:name]; });
    }
}

PreferenceStore::ObserverId MacPreferenceStore::addObserver(Observer observer) {
    return m_observers.add(std::move(observer));
}

void MacPreferenceStore::removeObserver(ObserverId id) {
    m_observers.remove(id);
}

} // namespace tallowmere
