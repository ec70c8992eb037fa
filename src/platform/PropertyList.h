#pragma once

#include "platform/PropertyValue.h"

#include <optional>
#include <string>
#include <string_view>

namespace tallowmere {

// XML property lists, through libplist.
namespace PropertyList {

// Any XML property list; nothing when the bytes are not one. Texts are read whole: a list holding a text that
// is not UTF-8 or has a NUL inside is not one, and neither is a binary list or one nested deeper than 256 levels.
std::optional<PropertyValue> parse(std::string_view bytes);

// The top-level dictionary of `diskutil … -plist` style output; nothing when the bytes are not a property
// list or the top level is not a dictionary.
std::optional<PropertyDictionary> parseDictionary(std::string_view bytes);

// A text that XML can carry as it is: UTF-8 without a NUL.
bool isWritableText(std::string_view text);
// Every text and key of the value is writable.
bool isWritable(const PropertyValue& value);

// Only for writable values: libplist would cut a text at its first NUL.
std::string toXml(const PropertyValue& value);

} // namespace PropertyList
} // namespace tallowmere
