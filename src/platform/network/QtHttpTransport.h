#pragma once

#include "platform/HttpTransport.h"

#include <memory>

class QNetworkAccessManager;
class QObject;
class QThread;

namespace tallowmere {

// HTTP over Qt Network. The network access manager lives on a thread of the transport's own, so `send`
// works from any thread except that one: the caller blocks until the reply finished, failed or timed out.
class QtHttpTransport : public HttpTransport {
public:
    QtHttpTransport();
    ~QtHttpTransport() override;
    QtHttpTransport(const QtHttpTransport&) = delete;
    QtHttpTransport& operator=(const QtHttpTransport&) = delete;

    HttpResponse send(const HttpRequest& request) override;

private:
    std::unique_ptr<QThread> m_thread;
    QObject* m_context = nullptr;               // lives on m_thread
    QNetworkAccessManager* m_manager = nullptr; // a child of m_context
};

} // namespace tallowmere
