#include "platform/PreferenceStore.h"

#include "platform/ClampedInteger.h"
#include "platform/DecimalText.h"

namespace tallowmere {
namespace {

// Leading number of a text, independent of the process locale.
std::optional<double> parseNumber(const std::string& text) {
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    while (begin != end && (*begin == ' ' || *begin == '\t'))
        ++begin;
    if (begin != end && *begin == '+')
        ++begin;
    auto number = DecimalText::leadingNumber(std::string_view(begin, static_cast<std::size_t>(end - begin)));
    return number ? std::optional(number->first) : std::nullopt;
}

} // namespace

bool PreferenceStore::boolValue(std::string_view key) const {
    auto value = object(key);
    if (!value)
        return false;
    if (auto* b = value->as<bool>())
        return *b;
    if (auto* i = value->as<std::int64_t>())
        return *i != 0;
    if (auto* d = value->as<double>())
        return *d != 0.0;
    if (auto* s = value->as<std::string>()) {
        if (*s == "YES" || *s == "yes" || *s == "true" || *s == "TRUE" || *s == "Y" || *s == "y")
            return true;
        auto number = parseNumber(*s);
        return number && *number != 0.0;
    }
    return false;
}

std::int64_t PreferenceStore::integerValue(std::string_view key) const {
    auto value = object(key);
    if (!value)
        return 0;
    if (auto* i = value->as<std::int64_t>())
        return *i;
    if (auto* b = value->as<bool>())
        return *b ? 1 : 0;
    // Out of range a stored number reads as the nearest integer there is; NaN as 0.
    if (auto* d = value->as<double>())
        return clampedInteger<std::int64_t>(*d);
    if (auto* s = value->as<std::string>())
        return clampedInteger<std::int64_t>(parseNumber(*s).value_or(0.0));
    return 0;
}

double PreferenceStore::doubleValue(std::string_view key) const {
    auto value = object(key);
    if (!value)
        return 0.0;
    if (auto* d = value->as<double>())
        return *d;
    if (auto* i = value->as<std::int64_t>())
        return static_cast<double>(*i);
    if (auto* b = value->as<bool>())
        return *b ? 1.0 : 0.0;
    if (auto* s = value->as<std::string>())
        return parseNumber(*s).value_or(0.0);
    return 0.0;
}

std::optional<std::string> PreferenceStore::stringValue(std::string_view key) const {
    auto value = object(key);
    if (!value)
        return std::nullopt;
    if (auto* s = value->as<std::string>())
        return *s;
    if (auto* i = value->as<std::int64_t>())
        return std::to_string(*i);
    return std::nullopt;
}

std::optional<PropertyArray> PreferenceStore::arrayValue(std::string_view key) const {
    auto value = object(key);
    if (!value)
        return std::nullopt;
    if (auto* array = value->as<PropertyArray>())
        return *array;
    return std::nullopt;
}

} // namespace tallowmere
