#pragma once

#include "analytics/LogHandler.h"
#include "platform/HttpTransport.h"

#include <QUrl>
#include <QUuid>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tallowmere {

using SignalParameters = std::map<std::string, std::string>;

// Extra parameters for a signal being built, given its type, its hashed user and its numeric value.
using MetadataEnricher = std::function<SignalParameters(const std::string& signalType, const std::string& clientUser,
                                                        std::optional<double> floatValue)>;

// How the analytics client identifies the application, where it sends signals and what it adds to them.
// Shared by reference once the client runs; not changed after `SignalClient::initialize`.
class AnalyticsConfiguration {
public:
    explicit AnalyticsConfiguration(std::string analyticsAppID);

    std::string analyticsAppID;
    // The ingestion service; the build's base URL unless set.
    QUrl apiBaseURL;
    // A non-empty namespace selects the namespaced ingestion path.
    std::optional<std::string> namespace_;
    // Appended to the user identifier before hashing.
    std::string salt;
    std::optional<std::string> defaultUser;
    std::optional<std::string> defaultSignalPrefix;
    // Applied to the keys of the caller's parameters only.
    std::optional<std::string> defaultParameterPrefix;
    std::function<SignalParameters()> defaultParameters = [] { return SignalParameters{}; };
    // Off: the client starts before the facade looks at the user's opt-out, so nothing may leave unasked.
    bool sendNewSessionBeganSignal = false;
    QUuid sessionID = QUuid::createUuid();
    // Carries the requests; without one, signals stay in the cache.
    std::shared_ptr<HttpTransport> urlSession;
    bool sendSignalsInDebugConfiguration = false;
    // Overrides the test-mode flag, which otherwise follows the debug build.
    std::optional<bool> _testMode;
    bool analyticsDisabled = false;
    bool reservedParameterWarningsEnabled = true;
    bool sessionStatsEnabled = false;
    // Debug lines are written only when this is on (and the handler's level admits them).
    bool showDebugLogs = false;
    std::optional<LogHandler> logHandler = LogHandler::standard(LogLevel::debug);
    std::vector<MetadataEnricher> metadataEnrichers;
};

} // namespace tallowmere
