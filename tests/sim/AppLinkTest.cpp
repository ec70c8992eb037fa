#include "AppLink.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace macsim;

namespace {

TEST(AppLink, SendsALineAndReadsWholeMessagesUntilTheApplicationCloses) {
    QTemporaryDir dir;
    QLocalServer server;
    ASSERT_TRUE(server.listen(dir.path() + "/app.sock"));
    AppLink link(server.fullServerName().toStdString());
    ASSERT_TRUE(link.connect(2000));
    ASSERT_TRUE(server.waitForNewConnection(5000));
    QLocalSocket* app = server.nextPendingConnection();
    EXPECT_TRUE(link.send(AppEvent::ping()));
    while (!app->canReadLine() && app->waitForReadyRead(5000)) {
    }
    EXPECT_EQ(app->readLine(), "{\"event\":\"ping\"}\n");

    auto write = [&](const char* bytes) {
        app->write(bytes);
        ASSERT_TRUE(app->waitForBytesWritten(5000));
    };
    write("{\"event\":\"allowPow");
    EXPECT_FALSE(link.receive(0)) << "half a line is no message";
    write("erChange\",\"argument\":7}\nnot json\n[1]\n{\"event\":\"pong\",\"pid\":3}\n");
    auto first = link.receive(5000);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->value("event").toString(), "allowPowerChange");
    EXPECT_EQ(first->value("argument").toInt(), 7);
    auto second = link.receive(5000); // the lines that are no message are passed over
    ASSERT_TRUE(second);
    EXPECT_EQ(second->value("event").toString(), "pong");

    app->disconnectFromServer();
    EXPECT_FALSE(link.receive(5000));
    EXPECT_FALSE(link.isConnected());
    EXPECT_FALSE(link.send(AppEvent::ping()));
}

TEST(AppLink, NoApplicationMeansNoConnection) {
    QTemporaryDir dir;
    AppLink missing(dir.path().toStdString() + "/app.sock");
    EXPECT_FALSE(missing.connect(100));
    EXPECT_FALSE(missing.send(AppEvent::ping()));
    EXPECT_FALSE(missing.receive(100));
    EXPECT_FALSE(AppLink::deliver(dir.path().toStdString() + "/app.sock", AppEvent::defaultsChanged()));
    // A path longer than a socket address can hold fails without overrunning it.
    EXPECT_FALSE(AppLink(dir.path().toStdString() + "/" + std::string(200, 'x')).connect(100));
}

} // namespace
