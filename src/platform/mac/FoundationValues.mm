#include "platform/mac/FoundationValues.h"

#include "platform/PropertyList.h"

namespace tallowmere {

NSString* toNSString(std::string_view text) {
    return [[NSString alloc] initWithBytes:text.data() length:text.size() encoding:NSUTF8StringEncoding];
}

std::string toStdString(NSString* text) {
    const char* bytes = text.UTF8String;
    return bytes ? std::string(bytes) : std::string();
}

std::optional<PropertyValue> toPropertyValue(id object) {
    if (!object)
        return std::nullopt;
    // Alive until the bytes are read: ARC may otherwise release it right after its last use.
    __attribute__((objc_precise_lifetime)) NSData* xml =
        [NSPropertyListSerialization dataWithPropertyList:object
                                                   format:NSPropertyListXMLFormat_v1_0
                                                  options:0
                                                    error:nil];
    if (!xml)
        return std::nullopt;
    return PropertyList::parse(std::string_view(static_cast<const char*>(xml.bytes), xml.length));
}

id toFoundationObject(const PropertyValue& value) {
    if (!PropertyList::isWritable(value))
        return nil;
    const std::string xml = PropertyList::toXml(value);
    return [NSPropertyListSerialization propertyListWithData:[NSData dataWithBytes:xml.data() length:xml.size()]
                                                     options:NSPropertyListImmutable
                                                      format:nil
                                                       error:nil];
}

} // namespace tallowmere
