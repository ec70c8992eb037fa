// The property-list reader, as the preference store and the disk manager use it.
#include "FuzzSupport.h"

#include "platform/PropertyList.h"

using namespace tallowmere;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    auto value = PropertyList::parse(fuzz::bytesOf(data, size));
    PropertyList::parseDictionary(fuzz::bytesOf(data, size));
    if (!value)
        return 0;
    // What was read can be written, and reads back as the same list.
    fuzz::require(PropertyList::isWritable(*value), "a value read is writable");
    const std::string xml = PropertyList::toXml(*value);
    auto again = PropertyList::parse(xml);
    fuzz::require(again.has_value(), "what was written reads back");
    fuzz::require(PropertyList::toXml(*again) == xml, "what was written reads back unchanged");
    return 0;
}
