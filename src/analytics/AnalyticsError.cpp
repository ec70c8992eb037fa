#include "analytics/AnalyticsError.h"

namespace tallowmere {

std::optional<AnalyticsError> AnalyticsError::fromStatusCode(int statusCode) {
    if (statusCode >= 200 && statusCode <= 299)
        return std::nullopt;
    switch (statusCode) {
    case 401:
        return AnalyticsError{Kind::unauthorised, statusCode};
    case 403:
        return AnalyticsError{Kind::forbidden, statusCode};
    case 413:
        return AnalyticsError{Kind::payloadTooLarge, statusCode};
    default:
        return invalidStatusCode(statusCode);
    }
}

std::string AnalyticsError::description() const {
    switch (kind) {
    case Kind::invalidStatusCode:
        return "Invalid status code " + std::to_string(statusCode);
    case Kind::unauthorised:
        return "Unauthorized (401)";
    case Kind::forbidden:
        return "Forbidden (403)";
    case Kind::payloadTooLarge:
        return "Payload is too large (413)";
    case Kind::invalidEndpointUrl:
        return "Invalid endpoint URL";
    }
    return {};
}

} // namespace tallowmere
