#include "platform/ListingText.h"

#include <cstdio>

namespace tallowmere {

std::string escapeListingField(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (unsigned char c : text) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\t':
            escaped += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                escaped += hex;
            } else {
                escaped += static_cast<char>(c);
            }
        }
    }
    return escaped;
}

} // namespace tallowmere
