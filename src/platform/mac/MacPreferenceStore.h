#pragma once

#include "platform/PreferenceObservers.h"
#include "platform/PreferenceStore.h"

#include <memory>
#include <string>

namespace tallowmere {

// A defaults domain on NSUserDefaults: the standard one, or the named suite of the analytics client. The
// store's own writes notify at once on the writing thread. Changes that other processes make (`defaults
// write`) are reported by key-value observing of each key the application has read or written; they notify
// on the thread that observing delivers them on (not documented; unconfirmed).
class MacPreferenceStore : public PreferenceStore {
public:
    explicit MacPreferenceStore(const std::string& suiteName = {});
    ~MacPreferenceStore() override;
    MacPreferenceStore(const MacPreferenceStore&) = delete;
    MacPreferenceStore& operator=(const MacPreferenceStore&) = delete;

    std::optional<PropertyValue> object(std::string_view key) const override;
    void setObject(std::string_view key, PropertyValue value) override;
    void removeObject(std::string_view key) override;
    ObserverId addObserver(Observer observer) override;
    void removeObserver(ObserverId id) override;

private:
    struct Native;

    void watch(std::string_view key) const;

    mutable PreferenceObservers m_observers;
    std::unique_ptr<Native> m_native;
};

} // namespace tallowmere
