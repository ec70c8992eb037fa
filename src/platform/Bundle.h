#pragma once

#include "platform/PropertyValue.h"

#include <optional>
#include <string_view>

namespace tallowmere {

// The main bundle's information dictionary ("CFBundleShortVersionString", "CFBundleVersion", …).
class Bundle {
public:
    virtual ~Bundle() = default;
    virtual std::optional<PropertyValue> infoValue(std::string_view key) = 0;
};

} // namespace tallowmere
