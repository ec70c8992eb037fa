#include "AppLink.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace macsim;

namespace {

// A one-connection server on a Unix-domain socket, played by a thread of the test.
class OneShotServer {
public:
    explicit OneShotServer(const std::string& path) {
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        m_listening =
            ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(m_fd, 1) == 0;
    }
    ~OneShotServer() {
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_fd);
    }
    bool isListening() const { return m_listening; }

    // Accepts one client, reads one line, then writes `chunks` one by one and closes the connection.
    void serve(std::vector<std::string> chunks) {
        m_thread = std::thread([this, chunks = std::move(chunks)] {
            int client = ::accept(m_fd, nullptr, nullptr);
            if (client < 0)
                return;
            char byte = 0;
            while (::read(client, &byte, 1) == 1 && byte != '\n')
                m_received += byte;
            for (const std::string& chunk : chunks) {
                [[maybe_unused]] auto written = ::write(client, chunk.data(), chunk.size());
                std::this_thread::yield();
            }
            ::close(client);
        });
    }
    std::string received() {
        if (m_thread.joinable())
            m_thread.join();
        return m_received;
    }

private:
    int m_fd = -1;
    bool m_listening = false;
    std::thread m_thread;
    std::string m_received;
};

TEST(AppLink, SendsALineAndReadsRepliesUntilTheApplicationCloses) {
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/app.sock";
    OneShotServer server(path);
    ASSERT_TRUE(server.isListening());
    // A reply split across writes, a line that is no message, then the end of the connection.
    server.serve(
        {"{\"event\":\"allowPow", "erChange\",\"argument\":7}\nnot json\n[1]\n{\"event\":\"pong\",\"pid\":3}\n"});

    AppLink link(path);
    ASSERT_TRUE(link.connect(2000));
    EXPECT_TRUE(link.send(AppEvent::ping()));
    auto first = link.receive(5000);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->value("event").toString(), "allowPowerChange");
    EXPECT_EQ(first->value("argument").toInt(), 7);
    auto second = link.receive(5000);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->value("event").toString(), "pong");
    EXPECT_FALSE(link.receive(5000)); // closed: no waiting for the time-out
    EXPECT_FALSE(link.isConnected());
    EXPECT_FALSE(link.send(AppEvent::ping()));
    EXPECT_EQ(server.received(), "{\"event\":\"ping\"}");
}

TEST(AppLink, NoApplicationMeansNoConnection) {
    QTemporaryDir dir;
    AppLink missing(dir.path().toStdString() + "/app.sock");
    EXPECT_FALSE(missing.connect(100));
    EXPECT_FALSE(missing.isConnected());
    EXPECT_FALSE(missing.send(AppEvent::ping()));
    EXPECT_FALSE(missing.receive(100));
    EXPECT_FALSE(AppLink::deliver(dir.path().toStdString() + "/app.sock", AppEvent::defaultsChanged()));

    // A path longer than a socket address can hold is refused, not cut short.
    EXPECT_FALSE(AppLink(dir.path().toStdString() + "/" + std::string(200, 'x')).connect(100));
}

} // namespace
