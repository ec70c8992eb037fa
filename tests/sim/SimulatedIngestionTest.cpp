#include "SimTestSupport.h"

#include "analytics/SignalClient.h"
#include "platform/sim/SimAnalyticsTransport.h"
#include "support/FakeCacheFileSystem.h"
#include "support/FakeServices.h"
#include "support/IdentifyingTexts.h"
#include "support/LogCapture.h"
#include "support/MemoryPreferenceStore.h"
#include "support/VirtualRuntime.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <mutex>
#include <set>

using namespace std::chrono_literals;
using namespace tallowmere;
using test::MacsimRun;
using test::TemporaryMachine;

namespace {

using ::testing::IsEmpty;

std::vector<std::string> types(const QJsonArray& records) {
    std::vector<std::string> names;
    for (const QJsonValue& record : records)
        names.push_back(record.toObject().value("type").toString().toStdString());
    return names;
}

// Hands each request to the simulated service and keeps the bodies it carried, so the test can compare what
// was posted with what the service kept.
class PostedBodies : public HttpTransport {
public:
    explicit PostedBodies(macsim::Machine& machine)
        : m_service(machine) {}

    HttpResponse send(const HttpRequest& request) override {
        HttpResponse response = m_service.send(request);
        std::lock_guard lock(m_mutex);
        m_bodies.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(request.body)).array());
        m_statuses.push_back(response.statusCode);
        return response;
    }
    std::vector<QJsonArray> bodies() const {
        std::lock_guard lock(m_mutex);
        return m_bodies;
    }
    std::vector<int> statuses() const {
        std::lock_guard lock(m_mutex);
        return m_statuses;
    }

private:
    SimAnalyticsTransport m_service;
    mutable std::mutex m_mutex;
    std::vector<QJsonArray> m_bodies;
    std::vector<int> m_statuses;
};

// The signal client on virtual time, delivering to a fresh simulated Mac that macsim reads as a real process.
class SimulatedIngestionTest : public ::testing::Test {
protected:
    ~SimulatedIngestionTest() override { runtime.runUntilIdle(); }

    std::shared_ptr<SignalClient> start() {
        AnalyticsConfiguration configuration("6B0F1C55-3C1E-4B7A-9E4D-2A7F5E9C1D38");
        configuration.apiBaseURL = QUrl("https://ingest.invalid"); // never resolvable: nothing may use the network
        configuration.urlSession = transport;
        configuration.sendSignalsInDebugConfiguration = true;
        EnvironmentFacts facts;
        facts.appVersion = "2.3.1";
        facts.buildNumber = "231";
        auto client =
            SignalClient::initialize(configuration, {runtime, preferences, fileSystem, bundle,
                                                     std::make_shared<ScreenMetricsProvider>(), nullptr, facts});
        runtime.runUntilIdle();
        return client;
    }
    // One at a time, so that they are cached in this order.
    void send(SignalClient& client, const std::string& name, const std::map<std::string, std::string>& parameters) {
        client.signal(name, parameters, std::nullopt, std::nullopt);
        runtime.runUntilIdle();
    }

    // `macsim analytics`, split into its lines.
    std::vector<std::string> listing() {
        MacsimRun run = sim.run({"analytics"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return test::lines(run.out);
    }
    QJsonArray listingAsJson() {
        MacsimRun run = sim.run({"analytics", "--json"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        QJsonParseError error{};
        QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
        EXPECT_TRUE(error.error == QJsonParseError::NoError && document.isArray()) << run.out;
        return document.array();
    }

    TemporaryMachine sim;
    test::LogCapture log;
    test::VirtualRuntime runtime;
    test::MemoryPreferenceStore preferences;
    test::FakeCacheFileSystem fileSystem;
    test::FakeBundle bundle;
    std::shared_ptr<PostedBodies> transport = std::make_shared<PostedBodies>(sim.machine());
};

TEST_F(SimulatedIngestionTest, MacsimListsEachRecordAsItsTypeATabAndItsPayloadAsCompactJson) {
    EXPECT_TRUE(listing().empty());
    EXPECT_TRUE(listingAsJson().isEmpty());

    auto client = start();
    send(*client, "appLaunched", {});
    send(*client, "autoEjectPerformed", {{"drivesEjected", "2"}});
    send(*client, "odd\ttype", {{"note", "two\nlines\t\"quoted\" \\ Ω"}});
    runtime.advance(10s);
    ASSERT_EQ(transport->statuses(), std::vector<int>{200}) << "a fresh machine answers 200";

    // What the service kept is exactly what was posted, record for record.
    QJsonArray kept = listingAsJson();
    EXPECT_EQ(kept, transport->bodies()[0]);
    ASSERT_EQ(kept.size(), 3);
    const std::set<QString> recordKeys{"receivedAt", "appID",   "clientUser", "sessionID",
                                       "type",       "payload", "isTestMode"};
    for (const QJsonValue& record : kept) {
        QStringList keys = record.toObject().keys();
        EXPECT_EQ(std::set<QString>(keys.begin(), keys.end()), recordKeys);
    }

    std::vector<std::string> lines = listing();
    ASSERT_EQ(lines.size(), 3u) << "one line per record, whatever the texts hold";
    const std::vector<std::string> expectedTypes{"appLaunched", "autoEjectPerformed", "odd\\ttype"};
    for (size_t i = 0; i < lines.size(); ++i) {
        size_t tab = lines[i].find('\t');
        ASSERT_NE(tab, std::string::npos) << lines[i];
        EXPECT_EQ(lines[i].substr(0, tab), expectedTypes[i]);
        QJsonObject payload = kept[static_cast<qsizetype>(i)].toObject().value("payload").toObject();
        EXPECT_EQ(lines[i].substr(tab + 1), QJsonDocument(payload).toJson(QJsonDocument::Compact).toStdString());
    }
    QJsonObject ejected =
        QJsonDocument::fromJson(QByteArray::fromStdString(lines[1].substr(lines[1].find('\t') + 1))).object();
    EXPECT_EQ(ejected.value("drivesEjected").toString(), "2");
    EXPECT_EQ(ejected.value("Analytics.AppInfo.version").toString(), "2.3.1");
    QJsonObject odd =
        QJsonDocument::fromJson(QByteArray::fromStdString(lines[2].substr(lines[2].find('\t') + 1))).object();
    EXPECT_EQ(odd.value("note").toString(), QString::fromUtf8("two\nlines\t\"quoted\" \\ Ω"));

    // Only a POST of a JSON array is a batch.
    SimAnalyticsTransport service(sim.machine());
    EXPECT_EQ(service.send({"GET", "https://ingest.invalid/v2/", {}, "[]"}).statusCode, 405);
    HttpRequest malformed{"POST", "https://ingest.invalid/v2/", {{"Content-Type", "application/json"}}, "[{\"type\""};
    EXPECT_EQ(service.send(malformed).statusCode, 400);
    EXPECT_EQ(listing().size(), 3u);
}

TEST_F(SimulatedIngestionTest, ARefusingServiceKeepsNothingAndTheClientDeliversTheSameBatchOnceItAccepts) {
    MacsimRun refuse = sim.run({"analytics", "respond", "500"});
    ASSERT_EQ(refuse.exitCode, 0) << refuse.err;
    auto client = start();
    for (int i = 0; i < 3; ++i)
        send(*client, "event" + std::to_string(i), {{"index", std::to_string(i)}});

    runtime.advance(10s);
    runtime.advance(10s);
    EXPECT_EQ(transport->statuses(), (std::vector<int>{500, 500}));
    EXPECT_TRUE(listing().empty());
    EXPECT_EQ(client->signalManager().cache().count(), 3u);
    EXPECT_TRUE(log.contains("Analytics: Failed to send signals: Invalid status code 500"));

    ASSERT_EQ(sim.run({"analytics", "respond", "200"}).exitCode, 0);
    runtime.advance(10s);
    runtime.advance(30s); // later ticks find nothing left to send
    EXPECT_EQ(transport->statuses(), (std::vector<int>{500, 500, 200}));
    QJsonArray kept = listingAsJson();
    EXPECT_EQ(types(kept), (std::vector<std::string>{"event0", "event1", "event2"}));
    EXPECT_EQ(kept, transport->bodies()[0]) << "the refused records themselves, not copies built again";
    EXPECT_EQ(listing().size(), 3u);
    EXPECT_EQ(client->signalManager().cache().count(), 0u);
}

TEST_F(SimulatedIngestionTest, MacsimRefusesMalformedAnalyticsCommands) {
    for (const std::vector<std::string>& command : {std::vector<std::string>{"analytics", "respond"},
                                                    {"analytics", "respond", "abc"},
                                                    {"analytics", "respond", "600"},
                                                    {"analytics", "respond", "200", "extra"},
                                                    {"analytics", "--yaml"},
                                                    {"analytics", "--json", "--json"}}) {
        MacsimRun run = sim.run(command);
        EXPECT_EQ(run.exitCode, 2) << command.back();
        EXPECT_FALSE(run.err.empty()) << command.back();
    }
    EXPECT_EQ(sim.machine().state().analyticsStatus, 200);
}

// The application itself on the simulated Mac, run twice: the signals of the first run wait in the cache file it
// saves at termination, the second run sends them to the machine as it starts, and none of them names the volume.
TEST(SimulatedApplicationAnalytics, SignalsOfAnEjectAndRemountReachTheMachineWithNoTraceOfTheVolume) {
#ifndef NDEBUG
    GTEST_SKIP() << "a debug build of the application sends no signals";
#endif
    TemporaryMachine sim;
    const std::string name = "Quokka Ledger Ω7";
    MacsimRun added = sim.run({"volume", "add", name});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    const std::string device = test::lines(added.out).at(0);
    const std::vector<std::string> forbidden{name, "/Volumes/", "Quokka", device,
                                             device.substr(0, device.find('s', 4))};
    for (const std::vector<std::string>& write : {std::vector<std::string>{"autoEjectBeforeSleep", "-bool", "true"},
                                                  {"unmountInsteadOfEject", "-bool", "true"},
                                                  {"autoEjectRemountDelaySeconds", "-float", "0.5"},
                                                  {"hasCompletedOnboarding", "-bool", "true"},
                                                  {"hasCheckedFullDiskAccess", "-bool", "true"}}) {
        std::vector<std::string> command{"defaults", "write"};
        command.insert(command.end(), write.begin(), write.end());
        ASSERT_EQ(sim.run(command).exitCode, 0) << write[0];
    }
    auto isMounted = [&] { return sim.run({"volume", "list"}).out.find("\tmounted\t") != std::string::npos; };
    const QString cachePath = QString::fromStdString(sim.machine().cachesFolder() + "/analyticssignalcache");
    auto cachedRecords = [&] {
        QFile file(cachePath);
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).array() : QJsonArray();
    };
    auto received = [&] {
        return QJsonDocument::fromJson(QByteArray::fromStdString(sim.run({"analytics", "--json"}).out)).array();
    };
    std::string output;
    auto launch = [&](QProcess& app) {
        output.clear();
        sim.start(app, {}, {{"QT_QPA_PLATFORM", "offscreen"}}, TALLOWMERE_EXECUTABLE);
        ASSERT_TRUE(app.waitForStarted());
        // A line of the launch's second turn: by then the power monitor is registered and a sleep is held.
        ASSERT_TRUE(test::waitUntil([&] {
            app.waitForReadyRead(5);
            output += app.readAllStandardOutput().toStdString();
            return output.find("Tallowmere: Executing Full Disk Access check now\n") != std::string::npos;
        })) << output;
    };
    auto terminate = [&](QProcess& app) {
        ::kill(static_cast<pid_t>(app.processId()), SIGTERM);
        ASSERT_TRUE(app.waitForFinished(20000));
        output += app.readAllStandardOutput().toStdString();
        EXPECT_NE(output.find("Analytics: Saved Analytics cache\n"), std::string::npos) << output;
    };

    QProcess first;
    launch(first);
    std::string slept = sim.run({"sleep"}).out;
    EXPECT_EQ(slept.rfind("sleep allowed after ", 0), 0u) << slept;
    EXPECT_FALSE(isMounted());
    ASSERT_EQ(sim.run({"wake"}).exitCode, 0);
    EXPECT_TRUE(test::waitUntil(isMounted));
    terminate(first);
    // The send timer may have delivered some already; between them, service and file hold every record.
    QJsonArray firstRun = received();
    for (const QJsonValue& record : cachedRecords())
        firstRun.append(record);
    std::vector<std::string> firstTypes = types(firstRun);
    std::sort(firstTypes.begin(), firstTypes.end());
    ASSERT_EQ(firstTypes, (std::vector<std::string>{"appLaunched", "autoEjectPerformed", "firstLaunch"}));

    QProcess second;
    launch(second);
    EXPECT_TRUE(test::waitUntil([&] { return received().size() >= firstRun.size(); }));
    terminate(second);

    QJsonArray kept = received();
    for (const QJsonValue& record : firstRun)
        EXPECT_EQ(std::count(kept.begin(), kept.end(), record), 1)
            << "the first run's records, each once: " << record.toObject().value("type").toString().toStdString();
    for (const QJsonValue& record : kept) {
        if (record.toObject().value("type") == "autoEjectPerformed") {
            EXPECT_EQ(record.toObject().value("payload").toObject().value("drivesEjected").toString(), "1");
        }
    }
    EXPECT_THAT(test::identifyingTexts(QString::fromStdString(sim.run({"analytics"}).out), forbidden), IsEmpty());
    EXPECT_THAT(test::identifyingTextsInJson(QJsonDocument(kept).toJson(), forbidden), IsEmpty());
    // Besides them only the second run's launch, delivered or left for a third run.
    QJsonArray everything = kept;
    for (const QJsonValue& record : cachedRecords())
        everything.append(record);
    std::vector<std::string> allTypes = types(everything);
    std::sort(allTypes.begin(), allTypes.end());
    EXPECT_EQ(allTypes, (std::vector<std::string>{"appLaunched", "appLaunched", "autoEjectPerformed", "firstLaunch"}));
}

} // namespace
