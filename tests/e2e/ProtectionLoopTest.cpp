#include "e2e/RunningApp.h"
#include "platform/UserNotifications.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace tallowmere::test {
namespace {

class ProtectionLoopEndToEnd : public ::testing::Test {
protected:
    RunningApp app;

    void SetUp() override { app.protectOnTheUnmountPath(); }
};

QJsonArray jsonArray(const QByteArray& text) {
    return QJsonDocument::fromJson(text).array();
}

TEST_F(ProtectionLoopEndToEnd, SleepTakesTheVolumesOfflineWakeBringsThemBackAndNoSignalNamesThem) {
    const std::string first = lines(app.macsim({"volume", "add", "Quokka Ledger Ω7"}).out).at(0);
    const std::string second = lines(app.macsim({"volume", "add", "Photos 2026", "--kind", "ssd"}).out).at(0);
    app.macsim({"volume", "add", "Card", "--kind", "sd-internal"}); // SD cards are left alone unless chosen
    ASSERT_TRUE(app.start());
    // A first launch: a login item, automatic update checks, no Dock icon and a greeting.
    const std::string status = app.macsim({"status"}).out;
    for (const char* line :
         {"login item: registered\n", "updates: automatic=true checks=0\n", "activation policy: accessory\n"})
        EXPECT_NE(status.find(line), std::string::npos) << status;
    EXPECT_TRUE(app.waitForListing({"notifications"}, "tallowmere-first-launch\tTallowmere is ready\tTallowmere will "
                                                      "manage external disks and keep your Mac awake based on your "
                                                      "settings.\n"));

    const double allowed = app.sleepAllowedAfter();
    EXPECT_TRUE(allowed >= 0.5 && allowed < 5.0) << allowed; // from the fixed wait before an unmount
    EXPECT_EQ(app.volumeState("Quokka Ledger Ω7"), "unmounted");
    EXPECT_EQ(app.volumeState("Photos 2026"), "unmounted");
    EXPECT_EQ(app.volumeState("Card"), "mounted");
    EXPECT_EQ(app.macsim({"assertions"}).out, ""); // the eject's assertion is released

    app.macsim({"wake"});
    EXPECT_TRUE(app.waitFor({"volume", "list"},
                            [](const std::string& listing) { return listing.find("unmounted") == std::string::npos; }));
    // The names come in the order the volumes came back.
    EXPECT_TRUE(app.waitFor({"notifications"}, [](const std::string& listing) {
        return listing.find("after wake: Quokka Ledger Ω7, Photos 2026\n") != std::string::npos ||
               listing.find("after wake: Photos 2026, Quokka Ledger Ω7\n") != std::string::npos;
    })) << app.macsim({"notifications"}).out;
    // Shown although the application is frontmost.
    const unsigned foreground = PresentationOption::banner | PresentationOption::sound | PresentationOption::badge;
    for (const QJsonValue& notice : jsonArray(QByteArray::fromStdString(app.macsim({"notifications", "--json"}).out)))
        EXPECT_TRUE(notice["title"] != "Disks Remounted" || notice["presentationOptions"].toInt() == foreground);
#ifndef NDEBUG
    return; // a debug build of the application sends no analytics signals
#endif

    // The signals wait in the cache file saved at termination (unless the send timer delivered them already);
    // the next launch sends them, each once, and none of them names a volume, its path or its device.
    ASSERT_TRUE(app.stop());
    EXPECT_NE(app.output().find("Analytics: Saved Analytics cache\n"), std::string::npos);
    auto received = [&] { return jsonArray(QByteArray::fromStdString(app.macsim({"analytics", "--json"}).out)); };
    QJsonArray firstRun = received();
    QFile cache(QString::fromStdString(app.sim().machine().cachesFolder() + "/analyticssignalcache"));
    if (cache.open(QIODevice::ReadOnly))
        for (const QJsonValue& record : jsonArray(cache.readAll()))
            firstRun.append(record);
    std::multiset<QString> types;
    for (const QJsonValue& record : firstRun)
        types.insert(record["type"].toString());
    ASSERT_EQ(types, (std::multiset<QString>{"appLaunched", "autoEjectPerformed", "firstLaunch"}));

    ASSERT_TRUE(app.start());
    EXPECT_TRUE(waitUntil([&] { return received().size() >= firstRun.size(); }));
    const QJsonArray kept = received();
    for (const QJsonValue& record : firstRun) {
        EXPECT_EQ(std::count(kept.begin(), kept.end(), record), 1) << record["type"].toString().toStdString();
        EXPECT_TRUE(record["type"] != "autoEjectPerformed" || record["payload"]["drivesEjected"] == "2");
    }
    std::vector<std::string> forbidden{"Quokka", "Photos 2026", "/Volumes/", first, second};
    for (const std::string& device : {first, second})
        forbidden.push_back(device.substr(0, device.rfind('s'))); // the whole disk
    const QString sent = QString::fromUtf8(QJsonDocument(kept).toJson());
    for (const std::string& secret : forbidden)
        EXPECT_FALSE(sent.contains(QString::fromStdString(secret), Qt::CaseInsensitive))
            << secret << " in " << sent.toStdString();
}

// The menu's commands work without it and say what they did in the wording of the unmount preference. The disk
// engine's detail is turned off for this run: the lines of what the application decided stay.
TEST_F(ProtectionLoopEndToEnd, WithTheMasterSwitchOffSleepIsAnsweredAtOnceAndOnlyTheMenuTakesVolumesOffline) {
    app.defaults("autoEjectBeforeSleep", "-bool", "false");
    app.macsim({"fda", "granted"});
    app.macsim({"volume", "add", "Backup"});
    ASSERT_TRUE(app.start({{"QT_LOGGING_RULES", "tallowmere.disks.debug=false"}}));

    const double allowed = app.sleepAllowedAfter();
    EXPECT_TRUE(allowed >= 0 && allowed < 0.5) << allowed;
    app.macsim({"wake"});
    app.macsim({"lock"});
    EXPECT_EQ(app.volumeState("Backup"), "mounted");
    EXPECT_TRUE(app.waitForOutput("Trigger: sleep message: ignored, auto eject is off\n"));

    app.macsim({"unlock"});
    auto command = [&](const std::string& item, const std::string& notice) {
        EXPECT_TRUE(waitUntil([&] { return app.ui({"click", item}).exitCode == 0; })) << item;
        EXPECT_TRUE(app.waitForListing({"notifications"}, notice)) << app.macsim({"notifications"}).out;
    };
    command("Unmount External Disks", "\tDisks Unmounted\tSuccessfully unmounted: Backup\n");
    command("Unmount External Disks", "\tNo External Disks\tNo external disks were found to unmount.\n");
    command("Remount Ejected Disks", "\tDisks Remounted\tSuccessfully remounted: Backup\n");
    app.defaults("unmountInsteadOfEject", "-bool", "false");
    command("Eject External Disks", "\tDisks Ejected\tSuccessfully ejected: Backup\n");
    command("Eject External Disks", "\tNo External Disks\tNo external disks were found to eject.\n");
    // Eject and Sleep ends the guard and puts the Mac to sleep even with nothing to eject.
    app.defaults("stayAwakeEnabled", "-bool", "true");
    EXPECT_TRUE(app.waitForListing({"assertions"}, "\tTallowmere Quenby Guard Requested\n"));
    command("Eject and Sleep", "\tQuenby Guard Turned Off\tQuenby Guard is no longer keeping your Mac awake.\n");
    EXPECT_TRUE(app.waitForOutput("No external disks were ejected before sleep.\n"));
    EXPECT_TRUE(app.waitForListing({"status"}, "power: asleep\n"));

    EXPECT_TRUE(app.stop());
    EXPECT_EQ(app.output().find("DEBUG: "), std::string::npos);
    EXPECT_NE(app.output().find("Tallowmere: Checking Full Disk Access permissions...\n"), std::string::npos);
}

TEST(GuardEndToEnd, WritingTheGuardPreferenceHoldsAndReleasesItsAssertion) {
    RunningApp app;
    ASSERT_TRUE(app.start());
    app.defaults("stayAwakeEnabled", "-bool", "true");
    EXPECT_TRUE(
        app.waitForListing({"assertions"}, "\tPreventUserIdleDisplaySleep\tTallowmere Quenby Guard Requested\n"));

    app.defaults("stayAwakeEnabled", "-bool", "false");
    EXPECT_TRUE(app.waitFor({"assertions"}, [](const std::string& listing) { return listing.empty(); }));
    EXPECT_TRUE(app.waitForListing({"notifications"},
                                   "\tQuenby Guard Turned Off\tQuenby Guard is no longer keeping your Mac awake.\n"));

    app.defaults("allowDisplaySleep", "-bool", "true");
    app.defaults("stayAwakeEnabled", "-bool", "true");
    EXPECT_TRUE(
        app.waitForListing({"assertions"}, "\tPreventUserIdleSystemSleep\tTallowmere Quenby Guard Requested\n"));

    // Quitting ends the guard, and its event is in the analytics cache before the process is gone.
    EXPECT_EQ(app.macsim({"ui", "click", "Quit Tallowmere"}).exitCode, 0);
    ASSERT_TRUE(app.waitForExit());
    QFile cache(QString::fromStdString(app.sim().folder() + "/home/Library/Caches/analyticssignalcache"));
    ASSERT_TRUE(cache.open(QIODevice::ReadOnly));
    const QByteArray deactivation = "\"action\":\"deactivate\"";
    EXPECT_EQ(cache.readAll().count(deactivation) +
                  QByteArray::fromStdString(app.macsim({"analytics"}).out).count(deactivation),
              2);
}

} // namespace
} // namespace tallowmere::test
