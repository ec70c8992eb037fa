#include "platform/network/QtHttpTransport.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>

#include <future>

using namespace std::chrono_literals;
using namespace tallowmere;

namespace {

HttpRequest post(const QTcpServer& server, std::string body) {
    return {"POST",
            "http://127.0.0.1:" + std::to_string(server.serverPort()) + "/x",
            {{"Content-Type", "application/json"}},
            std::move(body)};
}

// The server's side, on the test thread: accepts the next connection and reads one request (head, blank line,
// body) from it.
std::unique_ptr<QTcpSocket> nextRequest(QTcpServer& server, QByteArray& request) {
    request.clear();
    if (!server.hasPendingConnections() && !server.waitForNewConnection(10000))
        return nullptr;
    std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
    const QRegularExpression length("\r\ncontent-length: *(\\d+)", QRegularExpression::CaseInsensitiveOption);
    auto complete = [&] {
        qsizetype headEnd = request.indexOf("\r\n\r\n");
        return headEnd >= 0 && request.size() - headEnd - 4 >= length.match(request).captured(1).toInt();
    };
    while (!complete() && socket->waitForReadyRead(10000))
        request += socket->readAll();
    return socket;
}

TEST(QtHttpTransport, CarriesRequestsFromAnyThreadAndFailuresTimeoutsAndStoppingAreTransportErrors) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QtHttpTransport transport;
    std::vector<std::future<HttpResponse>> answers;
    for (int i = 0; i < 3; ++i)
        answers.push_back(
            std::async(std::launch::async, [&] { return transport.send(post(server, "[{\"a\":\"ü\"}]")); }));
    QByteArray request;
    for (int i = 0; i < 3; ++i) {
        auto socket = nextRequest(server, request);
        ASSERT_TRUE(socket);
        EXPECT_TRUE(request.startsWith("POST /x HTTP/1.1\r\n"));
        EXPECT_TRUE(request.contains("\r\nContent-Type: application/json\r\n"));
        EXPECT_TRUE(request.endsWith("\r\n\r\n[{\"a\":\"ü\"}]"));
        socket->write("HTTP/1.1 413 Too Large\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        socket->waitForBytesWritten(10000);
    }
    for (auto& answer : answers)
        EXPECT_EQ(answer.get().statusCode, 413);

    HttpRequest refused = post(server, "[]");
    refused.url = "http://127.0.0.1:1/x"; // nothing listens there
    EXPECT_TRUE(transport.send(refused).isTransportError());
    refused.url = "not a url";
    EXPECT_TRUE(transport.send(refused).isTransportError());

    // Destroying the transport releases a caller still waiting for its answer.
    auto stopping = std::make_unique<QtHttpTransport>();
    auto answer = std::async(std::launch::async, [&] { return stopping->send(post(server, "")); });
    auto waiting = nextRequest(server, request);
    ASSERT_TRUE(waiting);
    stopping.reset();
    EXPECT_TRUE(answer.get().isTransportError());

    // Left unaccepted, the connection hears nothing back.
    HttpRequest silent = post(server, "[]");
    silent.timeout = 0.2s;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(transport.send(silent).isTransportError()) << "a server that never answers times out";
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s) << "after the request's own timeout";
}

} // namespace
