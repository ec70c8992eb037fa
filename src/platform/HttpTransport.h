#pragma once

#include "platform/Runtime.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tallowmere {

struct HttpRequest {
    std::string method = "GET";
    std::string url;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    // Longest silence tolerated while waiting for the server.
    Seconds timeout{60};
};

// Either a status code (0 when the answer was not an HTTP response) or a transport error.
struct HttpResponse {
    int statusCode = 0;
    std::optional<std::string> transportError;
    std::string body;

    bool isTransportError() const { return transportError.has_value(); }
};

// Carries one HTTP request and waits for its outcome. Blocking: call it from a background thread.
class HttpTransport {
public:
    virtual ~HttpTransport() = default;
    virtual HttpResponse send(const HttpRequest& request) = 0;
};

} // namespace tallowmere
