#pragma once

#include "platform/Bundle.h"

namespace tallowmere {

// The main bundle's information dictionary (Tallowmere.app/Contents/Info.plist). Any thread.
class MacBundle : public Bundle {
public:
    std::optional<PropertyValue> infoValue(std::string_view key) override;
};

} // namespace tallowmere
