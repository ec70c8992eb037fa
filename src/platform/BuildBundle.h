#pragma once

#include "platform/Bundle.h"

namespace tallowmere {

// The information dictionary of this build: the project's version and build number, and that it is an agent
// (a menu-bar utility with no Dock icon).
class BuildBundle : public Bundle {
public:
    std::optional<PropertyValue> infoValue(std::string_view key) override;
};

} // namespace tallowmere
