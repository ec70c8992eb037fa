#pragma once

#include <cstdint>
#include <string>

namespace tallowmere {

struct AssertionResult {
    int returnCode = 0; // 0 is success
    std::uint32_t assertionID = 0;
};

// Power assertions (IOPMAssertionCreateWithName / IOPMAssertionRelease).
class PowerAssertions {
public:
    virtual ~PowerAssertions() = default;
    virtual AssertionResult create(const std::string& type, std::uint32_t level, const std::string& name) = 0;
    virtual int release(std::uint32_t assertionID) = 0;
};

namespace AssertionType {
inline constexpr const char* preventUserIdleSystemSleep = "PreventUserIdleSystemSleep";
inline constexpr const char* preventUserIdleDisplaySleep = "PreventUserIdleDisplaySleep";
} // namespace AssertionType
inline constexpr std::uint32_t assertionLevelOn = 255;

} // namespace tallowmere
