#include "platform/mac/MacBundle.h"

#include "platform/mac/FoundationValues.h"

namespace tallowmere {

std::optional<PropertyValue> MacBundle::infoValue(std::string_view key) {
    @autoreleasepool {
        NSString* name = toNSString(key);
        return name ? toPropertyValue([NSBundle.mainBundle objectForInfoDictionaryKey:name]) : std::nullopt;
    }
}

} // namespace tallowmere
