#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QObject;
class QThread;

namespace tallowmere::test {

// A tiny HTTP/1.1 server on 127.0.0.1 with a thread of its own, so a test thread that blocks (or a virtual
// runtime that waits for its workers) never stalls it. Records every request and answers each with the
// status code set last.
class LoopbackHttpServer {
public:
    struct Request {
        std::string method;
        std::string path;                           // with the query, as sent
        std::map<std::string, std::string> headers; // names in lower case
        std::string body;
    };

    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // "http://127.0.0.1:PORT"
    std::string baseURL() const;
    void respondWith(int statusCode);
    // Requests are read but never answered (for timeouts).
    void stayQuiet();

    std::vector<Request> requests() const;
    // Bounded wait until at least `count` requests arrived.
    bool waitForRequests(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(10)) const;

private:
    friend class LoopbackConnection;
    void record(Request request);
    int statusCode() const;
    bool isQuiet() const;

    std::unique_ptr<QThread> m_thread;
    QObject* m_context = nullptr; // lives on m_thread, parent of the listening server
    int m_port = 0;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_arrived;
    std::vector<Request> m_requests;
    int m_statusCode = 200;
    bool m_quiet = false;
};

} // namespace tallowmere::test
