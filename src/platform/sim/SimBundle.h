#pragma once

#include "platform/Bundle.h"

namespace tallowmere {

// The main bundle's information dictionary: the project's version and the build number of this build.
class SimBundle : public Bundle {
public:
    std::optional<PropertyValue> infoValue(std::string_view key) override;
};

} // namespace tallowmere
