#pragma once

#include "analytics/SignalClient.h"
#include "support/FakeCacheFileSystem.h"
#include "support/FakeNotificationCenter.h"
#include "support/LogCapture.h"
#include "support/MemoryPreferenceStore.h"
#include "support/VirtualRuntime.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace tallowmere::test {

struct FakeBundle : Bundle {
    std::optional<PropertyValue> infoValue(std::string_view key) override {
        return PropertyValue(key == "CFBundleVersion" ? "231" : "2.3.1");
    }
};

// Stands in for the network (QtHttpTransportTest covers the real one): records every request and answers it
// with `status`, or with a transport error for -1. Read `sent` while the runtime is idle.
struct RecordingTransport : HttpTransport {
    HttpResponse send(const HttpRequest& request) override {
        std::lock_guard lock(mutex);
        sent.push_back(request);
        return status < 0 ? HttpResponse{0, "Connection refused", {}} : HttpResponse{status, {}, {}};
    }
    std::mutex mutex;
    std::vector<HttpRequest> sent;
    std::atomic<int> status = 200;
};

class SignalClientHarness {
public:
    static constexpr const char* appID = "6B0F1C55-3C1E-4B7A-9E4D-2A7F5E9C1D38";
    static constexpr const char* cachePath = "/Users/quenby/Library/Caches/analyticssignalcache";

    ~SignalClientHarness() { runtime.runUntilIdle(); }

    // Only the facts some test reads back; the others stay empty.
    static EnvironmentFacts facts() {
        EnvironmentFacts facts;
        facts.appVersion = "2.3.1";
        facts.buildNumber = "231";
        facts.systemMajorMinorVersion = "14.4";
        return facts;
    }

    AnalyticsConfiguration configuration() const {
        AnalyticsConfiguration config(appID);
        config.apiBaseURL = QUrl("https://ingest.example.org");
        config.urlSession = server;
        config.sendSignalsInDebugConfiguration = true;
        return config;
    }

    SignalClientServices services() { return {runtime, preferences, fileSystem, bundle, screen, &center, facts()}; }

    // A client on the configuration above as `configure` changes it, in a debug build if asked.
    std::shared_ptr<SignalClient> start(const std::function<void(AnalyticsConfiguration&)>& configure = {},
                                        bool debugBuild = false) {
        AnalyticsConfiguration config = configuration();
        if (configure)
            configure(config);
        SignalClientServices withFacts = services();
        withFacts.environment->isDebug = debugBuild;
        auto client = SignalClient::initialize(std::move(config), withFacts);
        runtime.runUntilIdle();
        return client;
    }

    // Sends `count` signals named "event0", "event1", … one after the other (signals sent at once are built
    // concurrently, in no particular order) and waits until they are cached.
    void sendSignals(SignalClient& client, int count, int first = 0) {
        for (int i = first; i < first + count; ++i) {
            client.signal("event" + std::to_string(i), {{"index", std::to_string(i)}}, std::nullopt, std::nullopt);
            runtime.runUntilIdle();
        }
    }

    std::vector<std::vector<QJsonObject>> batches() const {
        std::vector<std::vector<QJsonObject>> result;
        for (const auto& request : server->sent) {
            std::vector<QJsonObject> records;
            for (const QJsonValue& value : QJsonDocument::fromJson(QByteArray::fromStdString(request.body)).array())
                records.push_back(value.toObject());
            result.push_back(std::move(records));
        }
        return result;
    }

    static std::vector<std::string> types(const std::vector<QJsonObject>& records) {
        std::vector<std::string> names;
        for (const QJsonObject& record : records)
            names.push_back(record.value("type").toString().toStdString());
        return names;
    }

    LogCapture log;
    VirtualRuntime runtime;
    MemoryPreferenceStore preferences;
    FakeCacheFileSystem fileSystem;
    FakeBundle bundle;
    FakeNotificationCenter center;
    std::shared_ptr<ScreenMetricsProvider> screen = std::make_shared<ScreenMetricsProvider>();
    std::shared_ptr<RecordingTransport> server = std::make_shared<RecordingTransport>();
};

} // namespace tallowmere::test
