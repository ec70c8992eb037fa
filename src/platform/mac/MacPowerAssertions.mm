#include "platform/mac/MacPowerAssertions.h"

#include "platform/mac/FoundationValues.h"

#include <IOKit/pwr_mgt/IOPMLib.h>

namespace tallowmere {

static_assert(assertionLevelOn == kIOPMAssertionLevelOn);

AssertionResult MacPowerAssertions::create(const std::string& type, std::uint32_t level, const std::string& name) {
    NSString* assertionType = toNSString(type);
    NSString* assertionName = toNSString(name);
    if (!assertionType || !assertionName)
        return {invalidText, 0};
    IOPMAssertionID assertionID = kIOPMNullAssertionID;
    const IOReturn result = IOPMAssertionCreateWithName((__bridge CFStringRef)assertionType, level,
                                                        (__bridge CFStringRef)assertionName, &assertionID);
    return {result, assertionID};
}

int MacPowerAssertions::release(std::uint32_t assertionID) {
    return IOPMAssertionRelease(assertionID);
}

} // namespace tallowmere
