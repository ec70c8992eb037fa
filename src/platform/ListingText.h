#pragma once

#include <string>

namespace tallowmere {

// One field of a plain-text listing: a backslash becomes "\\", a line feed "\n", a carriage return "\r", a
// tab "\t" and any other control character "\xHH", so every item stays on one line and fields stay
// tab-separated. Everything else (spaces, quotes, Unicode) is printed as it is.
std::string escapeListingField(const std::string& text);

} // namespace tallowmere
