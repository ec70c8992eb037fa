#include "app/DelegateHarness.h"

#include <QUuid>

#include <set>
#include <thread>

namespace tallowmere::test {
namespace {

// A notifier on the harness's fakes; the center answers on a global-queue thread, as the real service does.
class UserNotifierTest : public DelegateTest {
protected:
    UserNotifierTest() { notifications.deliverOn(runtime); }
    void post() {
        notifier.postUserNotification("Disks Ejected", "Successfully ejected: Backup");
        runtime.runUntilIdle();
    }

    UserNotifier notifier{platform, alerts};
};

TEST_F(UserNotifierTest, PostsWithoutAskingWhenAllowedEachUnderAFreshIdentifier) {
    for (auto status : {AuthorizationStatus::authorized, AuthorizationStatus::provisional,
                        AuthorizationStatus::ephemeral, AuthorizationStatus::authorized}) {
        notifications.status = status;
        post();
    }
    std::set<std::string> identifiers;
    for (const auto& request : notifications.added()) {
        EXPECT_EQ(request.body, "Successfully ejected: Backup");
        EXPECT_TRUE(request.defaultSound);
        EXPECT_FALSE(QUuid::fromString(QString::fromStdString(request.identifier)).isNull()) << request.identifier;
        identifiers.insert(request.identifier);
    }
    EXPECT_EQ(identifiers.size(), 4u);
    EXPECT_TRUE(notifications.authorizationRequests().empty());
    EXPECT_TRUE(alerts.shown.empty());
}

TEST_F(UserNotifierTest, DeniedOrRefusedShowsTheAlertOnTheMainThreadEveryTimeAndItsFirstButtonOpensTheSettings) {
    notifications.status = AuthorizationStatus::denied;
    {
        // The answer arrives after this notifier is gone, and is still handled.
        UserNotifier shortLived(platform, alerts);
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
    notifications.status = AuthorizationStatus::notDetermined;
    notifications.granted = false;
    post();
    EXPECT_EQ(notifications.authorizationRequests(), std::vector<unsigned>{6});
    post();
    EXPECT_EQ(alerts.shown.size(), 3u);
    EXPECT_EQ(workspace.openRequests().size(), 1u);
    EXPECT_TRUE(notifications.added().empty());

    // Granted when asked: posted.
    notifications.status = AuthorizationStatus::notDetermined;
    notifications.granted = true;
    post();
    EXPECT_EQ(notifications.titles(), std::vector<std::string>{"Disks Ejected"});
    EXPECT_EQ(alerts.shown.size(), 3u);

    // On a Linux desktop the alert names the desktop's settings and opens GNOME's own page; where no page is known
    // it only says so.
    alerts.response = AlertPresenter::firstButtonReturn;
    notifications.status = AuthorizationStatus::denied;
    for (const char* desktop : {"ubuntu:GNOME", "XFCE"}) {
        platform.features = PlatformFeatures::linuxDesktop(desktop, false);
        post();
    }
    ASSERT_EQ(alerts.shown.size(), 5u);
    EXPECT_NE(alerts.shown[3].first.informativeText.find("Enable them in the desktop’s notification settings"),
              std::string::npos);
    EXPECT_EQ(alerts.shown[4].first.buttonTitles, std::vector<std::string>{"OK"});
    EXPECT_EQ(processes.detached(), (std::vector<std::vector<std::string>>{{"gnome-control-center", "notifications"}}));
}

TEST_F(UserNotifierTest, LaunchAuthorizationAndFailedAddsAreLoggedOnTheMainThread) {
    for (auto [granted, error] : std::vector<std::pair<bool, UserNotificationCenter::ErrorText>>{
             {true, std::nullopt}, {false, std::nullopt}, {false, "Notifications are not allowed"}}) {
        notifications.granted = granted;
        notifications.authorizationError = error;
        notifier.requestAuthorization();
        runtime.runUntilIdle();
    }
    EXPECT_EQ(notifications.authorizationRequests(), (std::vector<unsigned>{6, 6, 6}));
    std::vector<std::pair<std::string, bool>> lines;
    setLogSink([&](const std::string& line) { lines.emplace_back(line, runtime.isMainThread()); });
    notifications.addError = "UNErrorDomain error 1.";
    post();
    setLogSink(nullptr);
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "Notification authorization granted: true", "Notification authorization granted: false",
                               "Notification authorization error: Notifications are not allowed"}));
    EXPECT_EQ(lines, (std::vector<std::pair<std::string, bool>>{
                         {"ERROR: Failed to show notification: UNErrorDomain error 1.", true}}));
}

} // namespace
} // namespace tallowmere::test
