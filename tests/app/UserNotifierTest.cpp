#include "app/UserNotifier.h"
#include "support/FakeAlertPresenter.h"
#include "support/FakeUserNotificationCenter.h"
#include "support/FakeWorkspace.h"
#include "support/LogCapture.h"
#include "support/VirtualRuntime.h"

#include <QUuid>

#include <gtest/gtest.h>

#include <set>
#include <thread>

using namespace tallowmere;
using namespace tallowmere::test;

namespace {

class UserNotifierTest : public ::testing::Test {
protected:
    UserNotifierTest() { center.deliverOn(runtime); }
    // Background completions still hold references to the members below.
    void TearDown() override { runtime.runUntilIdle(); }
    void post() {
        notifier.postUserNotification("Disks Ejected", "Successfully ejected: Backup");
        runtime.runUntilIdle();
    }

    VirtualRuntime runtime;
    FakeUserNotificationCenter center;
    FakeWorkspace workspace;
    FakeAlertPresenter alerts;
    LogCapture log;
    UserNotifier notifier{runtime, center, workspace, alerts};
};

TEST_F(UserNotifierTest, PostsWithoutAskingWhenAllowedEachUnderAFreshIdentifier) {
    for (auto status : {AuthorizationStatus::authorized, AuthorizationStatus::provisional,
                        AuthorizationStatus::ephemeral, AuthorizationStatus::authorized}) {
        center.status = status;
        post();
    }
    std::set<std::string> identifiers;
    for (const auto& request : center.added()) {
        EXPECT_EQ(request.body, "Successfully ejected: Backup");
        EXPECT_TRUE(request.defaultSound);
        EXPECT_FALSE(QUuid::fromString(QString::fromStdString(request.identifier)).isNull()) << request.identifier;
        identifiers.insert(request.identifier);
    }
    EXPECT_EQ(identifiers.size(), 4u);
    EXPECT_TRUE(center.authorizationRequests().empty());
    EXPECT_TRUE(alerts.shown.empty());
}

TEST_F(UserNotifierTest, DeniedOrRefusedShowsTheAlertOnTheMainThreadEveryTimeAndItsFirstButtonOpensTheSettings) {
    center.status = AuthorizationStatus::denied;
    {
        // The answer arrives after this notifier is gone, and is still handled.
        UserNotifier shortLived(runtime, center, workspace, alerts);
        shortLived.postUserNotification("No External Disks", "No external disks were found to eject.");
    }
    runtime.runUntilIdle();
    ASSERT_EQ(alerts.shown.size(), 1u);
    auto [alert, thread] = alerts.shown.front();
    EXPECT_EQ(alert.messageText, "Allow Notifications for Tallowmere");
    EXPECT_EQ(alert.informativeText, "Notifications are currently disabled. Enable them in System Settings to see "
                                     "eject/remount and onboarding test alerts.");
    EXPECT_EQ(alert.buttonTitles, (std::vector<std::string>{"Open Notifications Settings", "Cancel"}));
    EXPECT_EQ(thread, std::this_thread::get_id());
    EXPECT_EQ(workspace.openRequests(),
              std::vector<std::string>{"x-apple.systempreferences:com.apple.preference.notifications"});

    // Undetermined: asked first; refused, the alert again each time, and "Cancel" opens nothing.
    alerts.response = AlertPresenter::firstButtonReturn + 1;
    center.status = AuthorizationStatus::notDetermined;
    center.granted = false;
    post();
    EXPECT_EQ(center.authorizationRequests(), std::vector<unsigned>{6});
    post();
    EXPECT_EQ(alerts.shown.size(), 3u);
    EXPECT_EQ(workspace.openRequests().size(), 1u);
    EXPECT_TRUE(center.added().empty());

    // Granted when asked: posted.
    center.status = AuthorizationStatus::notDetermined;
    center.granted = true;
    post();
    EXPECT_EQ(center.titles(), std::vector<std::string>{"Disks Ejected"});
    EXPECT_EQ(alerts.shown.size(), 3u);
}

TEST_F(UserNotifierTest, LaunchAuthorizationAndFailedAddsAreLoggedOnTheMainThread) {
    for (auto [granted, error] : std::vector<std::pair<bool, UserNotificationCenter::ErrorText>>{
             {true, std::nullopt}, {false, std::nullopt}, {false, "Notifications are not allowed"}}) {
        center.granted = granted;
        center.authorizationError = error;
        notifier.requestAuthorization();
        runtime.runUntilIdle();
    }
    EXPECT_EQ(center.authorizationRequests(), (std::vector<unsigned>{6, 6, 6}));
    std::vector<std::pair<std::string, bool>> lines;
    setLogSink([&](const std::string& line) { lines.emplace_back(line, runtime.isMainThread()); });
    center.addError = "UNErrorDomain error 1.";
    post();
    setLogSink(nullptr);
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "Notification authorization granted: true", "Notification authorization granted: false",
                               "Notification authorization error: Notifications are not allowed"}));
    EXPECT_EQ(lines, (std::vector<std::pair<std::string, bool>>{
                         {"ERROR: Failed to show notification: UNErrorDomain error 1.", true}}));
}

} // namespace
