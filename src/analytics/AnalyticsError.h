#pragma once

#include <optional>
#include <string>

namespace tallowmere {

// Why the ingestion service did not take a batch of signals.
struct AnalyticsError {
    enum class Kind { invalidStatusCode, unauthorised, forbidden, payloadTooLarge, invalidEndpointUrl };

    Kind kind = Kind::invalidStatusCode;
    int statusCode = 0; // for invalidStatusCode

    static AnalyticsError invalidStatusCode(int statusCode) { return {Kind::invalidStatusCode, statusCode}; }
    static AnalyticsError invalidEndpointUrl() { return {Kind::invalidEndpointUrl, 0}; }
    // Nothing for an accepted batch (200 to 299); a non-HTTP answer counts as status 0.
    static std::optional<AnalyticsError> fromStatusCode(int statusCode);

    std::string description() const;
    bool operator==(const AnalyticsError&) const = default;
};

} // namespace tallowmere
