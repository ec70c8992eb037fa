#pragma once

#include "platform/PropertyValue.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tallowmere {

// The user's defaults domain. Safe to use from any thread. Typed getters convert like the platform's
// defaults do and give the zero value (false, 0, 0.0, no string, no array) for an absent key.
class PreferenceStore {
public:
    using Observer = std::function<void()>;
    using ObserverId = std::uint64_t;

    virtual ~PreferenceStore() = default;

    virtual std::optional<PropertyValue> object(std::string_view key) const = 0;
    virtual void setObject(std::string_view key, PropertyValue value) = 0;
    virtual void removeObject(std::string_view key) = 0;

    // The change notification; it is posted on the thread that made the change (for a change made by
    // another process, on a thread of the store's own).
    virtual ObserverId addObserver(Observer observer) = 0;
    virtual void removeObserver(ObserverId id) = 0;

    bool hasObject(std::string_view key) const { return object(key).has_value(); }
    bool boolValue(std::string_view key) const;
    std::int64_t integerValue(std::string_view key) const;
    double doubleValue(std::string_view key) const;
    std::optional<std::string> stringValue(std::string_view key) const;
    std::optional<PropertyArray> arrayValue(std::string_view key) const;

    void setBool(std::string_view key, bool value) { setObject(key, PropertyValue(value)); }
    void setInteger(std::string_view key, std::int64_t value) { setObject(key, PropertyValue(value)); }
    void setDouble(std::string_view key, double value) { setObject(key, PropertyValue(value)); }
    void setString(std::string_view key, std::string value) { setObject(key, PropertyValue(std::move(value))); }
    void setArray(std::string_view key, PropertyArray value) { setObject(key, PropertyValue(std::move(value))); }
};

} // namespace tallowmere
