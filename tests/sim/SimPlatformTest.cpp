#include "SimTestSupport.h"

#include "platform/sim/SimPlatform.h"
#include "support/VirtualRuntime.h"

#include <QLocalSocket>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace tallowmere;

namespace {

// The application's platform in this process, attached to a fresh machine that macsim drives as a real process.
class SimPlatformTest : public ::testing::Test {
protected:
    test::TemporaryMachine sim;
    test::VirtualRuntime runtime;
    SimPlatform simulated{runtime, sim.folder(), MACSIM_EXECUTABLE};
    Platform platform = simulated.platform();

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(simulated.start(&error)) << error;
    }
};

TEST_F(SimPlatformTest, MacsimEventsReachObserversOnTheMainThread) {
    std::vector<std::string> seen;
    bool allOnMain = true;
    auto observe = [&](NotificationCenter& center, const char* name) {
        center.addObserver(name, [&, name] {
            allOnMain = allOnMain && runtime.isMainThread();
            seen.push_back(name);
        });
    };
    observe(platform.workspace.notificationCenter(), NotificationName::screensDidSleep);
    observe(platform.workspace.notificationCenter(), NotificationName::didMount);
    observe(platform.application.distributedCenter(), NotificationName::screenIsLocked);
    observe(platform.application.defaultCenter(), NotificationName::screenParametersChanged);

    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"display", "sleep"}, {"lock"}, {"screens", "3"}, {"volume", "add", "Photos"}}) {
        size_t before = seen.size();
        EXPECT_EQ(sim.run(command).exitCode, 0);
        EXPECT_TRUE(test::waitUntil([&] {
            runtime.runUntilIdle();
            return seen.size() > before;
        })) << command[0];
    }
    EXPECT_EQ(seen, (std::vector<std::string>{NotificationName::screensDidSleep, NotificationName::screenIsLocked,
                                              NotificationName::screenParametersChanged, NotificationName::didMount}));
    EXPECT_TRUE(allOnMain);
    EXPECT_EQ(platform.application.screenCount(), 3);
}

TEST_F(SimPlatformTest, MalformedMessagesOnTheSocketAreIgnored) {
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(sim.machine().socketPath()));
    ASSERT_TRUE(socket.waitForConnected(5000));
    socket.write("garbage\n[1,2]\n{\"event\":\"nonsense\"}\n{\"event\":\"notification\",\"center\":\"nowhere\"}\n"
                 "{\"event\":\"ping\"}\n");
    ASSERT_TRUE(socket.waitForBytesWritten(5000));
    QByteArray reply;
    EXPECT_TRUE(test::waitUntil([&] {
        socket.waitForReadyRead(5);
        reply += socket.readAll();
        return reply.contains('\n');
    }));
    EXPECT_EQ(reply, QByteArray("{\"event\":\"pong\",\"pid\":") + QByteArray::number(::getpid()) + "}\n");
    runtime.runUntilIdle();
}

} // namespace
