#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tallowmere {

class PropertyValue;
using PropertyArray = std::vector<PropertyValue>;
using PropertyDictionary = std::map<std::string, PropertyValue, std::less<>>;

// Raw bytes (<data>) and dates (<date>, seconds since 2001-01-01 UTC) keep their own types so that
// they are told apart from text and numbers.
struct PropertyData {
    std::string bytes;
    bool operator==(const PropertyData&) const = default;
};
struct PropertyDate {
    double secondsSinceReferenceDate = 0;
    bool operator==(const PropertyDate&) const = default;
};

// One value of a property list: the types the defaults domain and `diskutil -plist` use.
class PropertyValue {
public:
    using Storage = std::variant<bool, std::int64_t, double, std::string, PropertyData, PropertyDate, PropertyArray,
                                 PropertyDictionary>;

    PropertyValue()
        : m_storage(false) {}
    PropertyValue(bool value)
        : m_storage(value) {}
    PropertyValue(int value)
        : m_storage(std::int64_t(value)) {}
    PropertyValue(std::int64_t value)
        : m_storage(value) {}
    PropertyValue(double value)
        : m_storage(value) {}
    PropertyValue(const char* value)
        : m_storage(std::string(value)) {}
    PropertyValue(std::string value)
        : m_storage(std::move(value)) {}
    PropertyValue(PropertyData value)
        : m_storage(std::move(value)) {}
    PropertyValue(PropertyDate value)
        : m_storage(value) {}
    PropertyValue(PropertyArray value)
        : m_storage(std::move(value)) {}
    PropertyValue(PropertyDictionary value)
        : m_storage(std::move(value)) {}

    template <class T> const T* as() const { return std::get_if<T>(&m_storage); }
    template <class T> bool is() const { return std::holds_alternative<T>(m_storage); }
    const Storage& storage() const { return m_storage; }
    Storage&& takeStorage() && { return std::move(m_storage); }

    bool operator==(const PropertyValue& other) const { return m_storage == other.m_storage; }

private:
    Storage m_storage;
};

// Lookups that tell "absent" (nullptr from `find`) from "of another type" (nullptr from `as`).
inline const PropertyValue* find(const PropertyDictionary& dictionary, std::string_view key) {
    auto it = dictionary.find(key);
    return it == dictionary.end() ? nullptr : &it->second;
}

template <class T> const T* findAs(const PropertyDictionary& dictionary, std::string_view key) {
    const PropertyValue* value = find(dictionary, key);
    return value ? value->as<T>() : nullptr;
}

// A text array, or nothing when the value is not an array or any element is not text.
std::optional<std::vector<std::string>> stringArray(const PropertyValue& value);
PropertyArray toPropertyArray(const std::vector<std::string>& strings);

} // namespace tallowmere
