#include "models/PreferenceBinding.h"

namespace tallowmere {

PreferenceSubscription::PreferenceSubscription(Runtime& runtime, PreferenceStore& preferences,
                                               std::function<void()> onChange)
    : m_preferences(preferences)
    , m_onChange(std::make_shared<std::function<void()>>(std::move(onChange))) {
    m_observer = preferences.addObserver([&runtime, weak = std::weak_ptr(m_onChange)] {
        runtime.mainAsync([weak] {
            if (auto onChange = weak.lock())
                (*onChange)();
        });
    });
}

PreferenceSubscription::~PreferenceSubscription() {
    m_preferences.removeObserver(m_observer);
}

} // namespace tallowmere
