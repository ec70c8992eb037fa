#pragma once

#include "platform/PropertyValue.h"

#include <optional>
#include <string>
#include <string_view>

namespace tallowmere {

// The main bundle's information dictionary ("CFBundleShortVersionString", "CFBundleVersion", …).
class Bundle {
public:
    virtual ~Bundle() = default;
    virtual std::optional<PropertyValue> infoValue(std::string_view key) = 0;
};

// "1.0.0 (build 1)": the short version with the build number when there is one; "Unknown" without a version.
std::string versionText(Bundle& bundle);

} // namespace tallowmere
