#pragma once

#include "platform/PreferenceStore.h"
#include "platform/Runtime.h"

#include <functional>
#include <memory>
#include <string_view>

namespace tallowmere {

// Runs `onChange` on the main queue after every change of the store, for as long as the subscription lives.
// The store notifies on the writer's thread, and a notification may still be on its way when the page that
// subscribed is gone; the hop to the main queue holds the handler weakly for that reason.
class PreferenceSubscription {
public:
    PreferenceSubscription(Runtime& runtime, PreferenceStore& preferences, std::function<void()> onChange);
    ~PreferenceSubscription();
    PreferenceSubscription(const PreferenceSubscription&) = delete;
    PreferenceSubscription& operator=(const PreferenceSubscription&) = delete;

private:
    PreferenceStore& m_preferences;
    std::shared_ptr<std::function<void()>> m_onChange;
    PreferenceStore::ObserverId m_observer;
};

} // namespace tallowmere
