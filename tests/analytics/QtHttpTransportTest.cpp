#include "platform/QtHttpTransport.h"
#include "support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <future>

using namespace std::chrono_literals;
using namespace tallowmere;
using namespace tallowmere::test;

namespace {

HttpRequest post(const std::string& url, std::string body) {
    HttpRequest request;
    request.method = "POST";
    request.url = url;
    request.headers = {{"Content-Type", "application/json"}};
    request.body = std::move(body);
    return request;
}

TEST(QtHttpTransport, CarriesRequestsFromAnyThreadAndFailuresTimeoutsAndStoppingAreTransportErrors) {
    LoopbackHttpServer server;
    QtHttpTransport transport;
    server.respondWith(413);
    std::vector<std::future<HttpResponse>> answers;
    for (int i = 0; i < 3; ++i)
        answers.push_back(std::async(std::launch::async,
                                     [&] { return transport.send(post(server.baseURL() + "/x", "[{\"a\":\"ü\"}]")); }));
    for (auto& answer : answers)
        EXPECT_EQ(answer.get().statusCode, 413);
    ASSERT_EQ(server.requests().size(), 3u);
    EXPECT_EQ(server.requests()[0].body, "[{\"a\":\"ü\"}]");
    EXPECT_TRUE(server.requests()[0].head.starts_with("POST /x HTTP/1.1\r\n"));
    EXPECT_NE(server.requests()[0].head.find("\r\nContent-Type: application/json\r\n"), std::string::npos);

    std::string closed;
    {
        LoopbackHttpServer gone;
        closed = gone.baseURL();
    }
    EXPECT_TRUE(transport.send(post(closed + "/v2/", "[]")).isTransportError());
    EXPECT_TRUE(transport.send(post("not a url", "[]")).isTransportError());

    server.respondWith(std::nullopt);
    HttpRequest request = post(server.baseURL() + "/v2/", "[]");
    request.timeout = 0.2s;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(transport.send(request).isTransportError()) << "a server that never answers times out";
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s) << "after the request's own timeout";

    // Destroying the transport releases a caller still waiting for its answer.
    auto stopping = std::make_unique<QtHttpTransport>();
    auto answer = std::async(std::launch::async, [&] { return stopping->send(post(server.baseURL() + "/", "")); });
    ASSERT_TRUE(server.waitForRequests(5));
    stopping.reset();
    EXPECT_TRUE(answer.get().isTransportError());
}

} // namespace
