#include "platform/network/QtHttpTransport.h"

#include <QMetaObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QUrl>

#include <cmath>
#include <condition_variable>
#include <mutex>

namespace tallowmere {
namespace {

struct Pending {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    HttpResponse response;

    void complete(HttpResponse result) {
        std::lock_guard lock(mutex);
        if (done)
            return;
        response = std::move(result);
        done = true;
        finished.notify_all();
    }
};

HttpResponse failure(const std::string& message) {
    HttpResponse response;
    response.transportError = message;
    return response;
}

HttpResponse responseOf(QNetworkReply& reply) {
    HttpResponse response;
    QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid())
        response.statusCode = status.toInt();
    else if (reply.error() != QNetworkReply::NoError)
        response.transportError = reply.errorString().toStdString();
    if (reply.isOpen()) {
        QByteArray body = reply.readAll();
        response.body.assign(body.constData(), static_cast<size_t>(body.size()));
    }
    return response;
}

} // namespace

QtHttpTransport::QtHttpTransport()
    : m_thread(std::make_unique<QThread>()) {
    m_thread->setObjectName("HttpTransport");
    m_context = new QObject;
    m_context->moveToThread(m_thread.get());
    m_thread->start();
    // The manager must be created on the thread it serves.
    QMetaObject::invokeMethod(
        m_context, [this] { m_manager = new QNetworkAccessManager(m_context); }, Qt::BlockingQueuedConnection);
}

QtHttpTransport::~QtHttpTransport() {
    // Aborting finishes every outstanding reply, which releases its waiting caller.
    QMetaObject::invokeMethod(
        m_context,
        [this] {
            for (QNetworkReply* reply : m_manager->findChildren<QNetworkReply*>())
                reply->abort();
            m_manager = nullptr;
            m_context->deleteLater(); // with the manager, once the thread has finished
        },
        Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
}

HttpResponse QtHttpTransport::send(const HttpRequest& request) {
    if (QThread::currentThread() == m_thread.get())
        return failure("The HTTP transport cannot wait for itself on its own thread.");
    QUrl url(QString::fromStdString(request.url), QUrl::StrictMode);
    if (!url.isValid() || url.isRelative())
        return failure("Invalid URL: " + request.url);

    auto pending = std::make_shared<Pending>();
    double timeoutMs = std::max(0.0, std::ceil(request.timeout.count() * 1000.0));
    bool posted = QMetaObject::invokeMethod(
        m_context,
        [this, request, url, pending, timeoutMs] {
            if (!m_manager) {
                pending->complete(failure("The HTTP transport has stopped."));
                return;
            }
            QNetworkRequest networkRequest(url);
            for (const auto& [name, value] : request.headers)
                networkRequest.setRawHeader(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
            networkRequest.setTransferTimeout(static_cast<int>(std::min(timeoutMs, 2147483647.0)));
            QNetworkReply* reply = m_manager->sendCustomRequest(
                networkRequest, QByteArray::fromStdString(request.method), QByteArray::fromStdString(request.body));
            QObject::connect(reply, &QNetworkReply::finished, reply, [reply, pending] {
                pending->complete(responseOf(*reply));
                reply->deleteLater();
            });
        },
        Qt::QueuedConnection);
    if (!posted)
        return failure("The HTTP transport has stopped.");

    // The transfer timeout ends a silent request; the margin only guards against a transport torn down
    // underneath its caller.
    auto limit = std::chrono::duration<double>(request.timeout) + std::chrono::seconds(30);
    std::unique_lock lock(pending->mutex);
    if (!pending->finished.wait_for(lock, limit, [&] { return pending->done; }))
        return failure("The HTTP request got no answer.");
    return pending->response;
}

} // namespace tallowmere
