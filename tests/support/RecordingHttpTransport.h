#pragma once

#include "platform/HttpTransport.h"

#include <mutex>
#include <vector>

namespace tallowmere::test {

// An HTTP transport that never leaves the process: it keeps every request and accepts it.
class RecordingHttpTransport : public HttpTransport {
public:
    HttpResponse send(const HttpRequest& request) override {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
        HttpResponse response;
        response.statusCode = 200;
        return response;
    }
    std::vector<HttpRequest> requests() const {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<HttpRequest> m_requests;
};

} // namespace tallowmere::test
