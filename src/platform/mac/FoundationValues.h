#pragma once

// Objective-C++ only: the adapters' conversions between Foundation objects and the ports' values.

#import <Foundation/Foundation.h>

#include "platform/PropertyValue.h"

#include <optional>
#include <string>
#include <string_view>

namespace tallowmere {

// Nil for a text that is not UTF-8.
NSString* toNSString(std::string_view text);
std::string toStdString(NSString* text);

// A property-list object (a preference, an info dictionary value, a power-source description) as the ports
// carry it. The object goes through its XML form, so every type decision is the portable property-list
// reader's; nothing for nil or an object that is no property list.
std::optional<PropertyValue> toPropertyValue(id object);
// The immutable Foundation object of a value; nil for a value the XML form cannot carry (PropertyList::isWritable).
id toFoundationObject(const PropertyValue& value);

} // namespace tallowmere
