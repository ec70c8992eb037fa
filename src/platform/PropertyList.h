#pragma once

#include "platform/PropertyValue.h"

#include <optional>
#include <string>
#include <string_view>

namespace tallowmere {

// Property-list encoding and decoding (XML and binary), through libplist.
namespace PropertyList {

// Any property list; nothing when the bytes are not one.
std::optional<PropertyValue> parse(std::string_view bytes);

// The top-level dictionary of `diskutil … -plist` style output; nothing when the bytes are not a property
// list or the top level is not a dictionary.
std::optional<PropertyDictionary> parseDictionary(std::string_view bytes);

std::string toXml(const PropertyValue& value);

} // namespace PropertyList
} // namespace tallowmere
