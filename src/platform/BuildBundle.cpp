#include "platform/BuildBundle.h"

namespace tallowmere {

std::optional<PropertyValue> BuildBundle::infoValue(std::string_view key) {
    if (key == "CFBundleShortVersionString")
        return PropertyValue(TALLOWMERE_VERSION);
    if (key == "CFBundleVersion")
        return PropertyValue(TALLOWMERE_BUILD_NUMBER);
    if (key == "CFBundleIdentifier")
        return PropertyValue("com.tallowmere.app");
    if (key == "CFBundleName")
        return PropertyValue("Tallowmere");
    if (key == "LSUIElement")
        return PropertyValue(true);
    return std::nullopt;
}

} // namespace tallowmere
