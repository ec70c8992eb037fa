#include "platform/QtHttpTransport.h"
#include "support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

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

TEST(QtHttpTransport, CarriesTheRequestAndReportsTheStatusFromAnyThread) {
    LoopbackHttpServer server;
    QtHttpTransport transport;
    server.respondWith(202);
    HttpResponse fromHere = transport.send(post(server.baseURL() + "/v2/", "[{\"a\":\"ü\"}]"));
    EXPECT_FALSE(fromHere.isTransportError());
    EXPECT_EQ(fromHere.statusCode, 202);
    EXPECT_EQ(fromHere.body, "ok");

    server.respondWith(413);
    std::vector<std::future<HttpResponse>> answers;
    for (int i = 0; i < 3; ++i)
        answers.push_back(
            std::async(std::launch::async, [&] { return transport.send(post(server.baseURL() + "/x", "")); }));
    for (auto& answer : answers)
        EXPECT_EQ(answer.get().statusCode, 413);

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].body, "[{\"a\":\"ü\"}]");
}

TEST(QtHttpTransport, FailuresTimeoutsAndStoppingAreTransportErrors) {
    std::string closed;
    {
        LoopbackHttpServer gone;
        closed = gone.baseURL();
    }
    QtHttpTransport transport;
    EXPECT_TRUE(transport.send(post(closed + "/v2/", "[]")).isTransportError());
    EXPECT_TRUE(transport.send(post("not a url", "[]")).isTransportError());

    LoopbackHttpServer silent;
    silent.stayQuiet();
    HttpRequest request = post(silent.baseURL() + "/v2/", "[]");
    request.timeout = 0.2s;
    HttpResponse response = transport.send(request);
    EXPECT_TRUE(response.isTransportError()) << "a server that never answers times out";

    // Destroying the transport releases a caller still waiting for its answer.
    auto stopping = std::make_unique<QtHttpTransport>();
    auto answer = std::async(std::launch::async, [&] { return stopping->send(post(silent.baseURL() + "/", "")); });
    ASSERT_TRUE(silent.waitForRequests(2));
    stopping.reset();
    EXPECT_TRUE(answer.get().isTransportError());
}

} // namespace
