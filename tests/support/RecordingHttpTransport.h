#pragma once

#include "platform/HttpTransport.h"

#include <mutex>
#include <vector>

namespace tallowmere::test {

// An HTTP transport that never leaves the process: it keeps every request and answers with the status set last.
class RecordingHttpTransport : public HttpTransport {
public:
    HttpResponse send(const HttpRequest& request) override {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
        HttpResponse response;
        response.statusCode = m_statusCode;
        return response;
    }

    void respondWith(int statusCode) {
        std::lock_guard lock(m_mutex);
        m_statusCode = statusCode;
    }
    std::vector<HttpRequest> requests() const {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<HttpRequest> m_requests;
    int m_statusCode = 200;
};

} // namespace tallowmere::test
