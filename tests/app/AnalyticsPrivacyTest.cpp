#include "app/DelegateHarness.h"

#include "analytics/SignalClient.h"
#include "platform/SystemPower.h"
#include "support/IdentifyingTexts.h"
#include "support/RecordingHttpTransport.h"

#include <QUrl>

#include <gmock/gmock.h>

#include <set>

namespace tallowmere::test {
namespace {

using ::testing::IsEmpty;

// The real analytics client of the delegate's facade; built before the delegate's fixture, which uses it.
struct RealSignalClient {
    MemoryPreferenceStore clientPreferences;
    std::shared_ptr<RecordingHttpTransport> transport = std::make_shared<RecordingHttpTransport>();
    std::shared_ptr<SignalClient> client;

    std::shared_ptr<SignalSender> initialize(Platform& platform) {
        AnalyticsConfiguration configuration(TALLOWMERE_ANALYTICS_APP_ID);
        configuration.urlSession = transport;
        configuration.sendSignalsInDebugConfiguration = true; // the sanitizer build is a debug build
        auto screen = std::make_shared<ScreenMetricsProvider>();
        screen->update({2560, 1440, 2.0, "Dark", false, false});
        // The facts of this process, as the application would report them.
        client = SignalClient::initialize(configuration, {platform.runtime, clientPreferences, platform.fileSystem,
                                                          platform.bundle, screen, nullptr, std::nullopt});
        return client;
    }
};

class AnalyticsPrivacy : protected RealSignalClient, public DelegateTest {
protected:
    AnalyticsPrivacy()
        : DelegateTest([real = static_cast<RealSignalClient*>(this)](Platform& platform) {
            return real->initialize(platform);
        }) {}

    // The client's timer lives on the fixture's runtime, which goes before this base does.
    ~AnalyticsPrivacy() override { client.reset(); }

    void SetUp() override {
        launchAgain();
        runtime.advance(1s); // the launch-time access check
        // Unmounted rather than ejected, so that the wake can bring them back.
        preferences.setBool(PreferenceKey::unmountInsteadOfEject, true);
    }

    // Adds a volume and remembers everything that identifies it.
    void addVolume(const std::string& name) {
        std::string device = disks.add(name);
        forbidden.push_back(name);
        forbidden.push_back("/Volumes/" + name);
        forbidden.push_back(device);
        forbidden.push_back(device.substr(0, device.find('s', 4))); // its whole disk
    }

    std::vector<std::string> forbidden = {"/Volumes/"};
};

TEST_F(AnalyticsPrivacy, NoSignalCarriesAVolumeNameMountPathOrDeviceIdentifier) {
    addVolume("Quokka Ledger Ω7");
    addVolume("Vellichor's \"Zephyr\" Drive");
    forbidden.insert(forbidden.end(), {"Quokka", "Vellichor", "Zephyr"});
    enableAutoEject();
    delegate->stayAwakeController().activate(std::nullopt);

    // The protection loop: an automatic eject before sleep, then the remount after wake.
    systemPower.deliver(PowerMessage::systemWillSleep, 1);
    runtime.advance(2s);
    ASSERT_EQ(disks.mountedCount(), 0);
    workspace.notificationCenter().post("NSWorkspaceDidWakeNotification");
    runtime.advance(30s);
    ASSERT_EQ(disks.mountedCount(), 2);

    // The commands.
    delegate->ejectDisks();
    runtime.advance(5s);
    ASSERT_EQ(disks.mountedCount(), 0);
    delegate->remountDisks();
    runtime.advance(30s);
    ASSERT_EQ(disks.mountedCount(), 2);
    delegate->ejectAndSleep();
    runtime.advance(5s);
    ASSERT_EQ(disks.mountedCount(), 0);

    runtime.advance(10s);
    std::vector<HttpRequest> requests = transport->requests();
    std::multiset<std::string> types;
    for (const HttpRequest& request : requests) {
        QString url = QString::fromStdString(request.url);
        EXPECT_THAT(identifyingTexts(url + " " + QUrl::fromPercentEncoding(url.toUtf8()), forbidden), IsEmpty());
        for (const auto& [name, value] : request.headers)
            EXPECT_THAT(identifyingTexts(QString::fromStdString(name + ": " + value), forbidden), IsEmpty());
        EXPECT_THAT(identifyingTextsInJson(QByteArray::fromStdString(request.body), forbidden), IsEmpty());
        for (const QJsonValue& value : QJsonDocument::fromJson(QByteArray::fromStdString(request.body)).array()) {
            QJsonObject record = value.toObject();
            types.insert(record.value("type").toString().toStdString());
            if (record.value("type") == "autoEjectPerformed") {
                EXPECT_EQ(record.value("payload").toObject().value("drivesEjected").toString(), "2");
            }
        }
    }
    // The check means something only if the events of these runs were in it.
    EXPECT_EQ(types,
              (std::multiset<std::string>{"appLaunched", "toggleKeepAwake", "autoEjectPerformed", "toggleKeepAwake"}));
    EXPECT_EQ(client->signalManager().cache().count(), 0u);
}

} // namespace
} // namespace tallowmere::test
