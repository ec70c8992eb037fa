#include "platform/Bundle.h"

namespace tallowmere {

std::string versionText(Bundle& bundle) {
    auto text = [&bundle](std::string_view key) -> std::optional<std::string> {
        auto value = bundle.infoValue(key);
        const auto* string = value ? value->as<std::string>() : nullptr;
        return string ? std::optional(*string) : std::nullopt;
    };
    std::string version = text("CFBundleShortVersionString").value_or("Unknown");
    if (auto build = text("CFBundleVersion"); build && !build->empty())
        version += " (build " + *build + ")";
    return version;
}

} // namespace tallowmere
