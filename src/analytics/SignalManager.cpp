#include "analytics/SignalManager.h"

#include "analytics/EnrichmentParameters.h"

#include <QJsonDocument>

#include <array>
#include <cmath>
#include <string_view>

namespace tallowmere {
namespace {

constexpr std::string_view reservedPrefix = "Analytics.";

// Names the ingestion service stores beside the payload: a signal or parameter named like them is ambiguous.
constexpr std::array<std::string_view, 8> recordFieldNames = {"receivedAt", "appID",      "clientUser", "sessionID",
                                                              "type",       "floatValue", "payload",    "isTestMode"};
// The short keys the client fills in itself.
constexpr std::array<std::string_view, 20> legacyKeys = {"platform",
                                                         "systemVersion",
                                                         "majorSystemVersion",
                                                         "majorMinorSystemVersion",
                                                         "appVersion",
                                                         "buildNumber",
                                                         "isSimulator",
                                                         "isDebug",
                                                         "isTestFlight",
                                                         "isAppStore",
                                                         "modelName",
                                                         "architecture",
                                                         "operatingSystem",
                                                         "targetEnvironment",
                                                         "locale",
                                                         "region",
                                                         "appLanguage",
                                                         "preferredLanguage",
                                                         "extensionIdentifier",
                                                         "analyticsClientVersion"};

template <std::size_t N> bool contains(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool isReservedSignalName(std::string_view name) {
    return contains(recordFieldNames, name);
}
bool isReservedParameterKey(std::string_view key) {
    return contains(recordFieldNames, key) || contains(legacyKeys, key);
}

std::optional<std::string> cachePath(FileSystem& fileSystem) {
    auto directory = fileSystem.cachesDirectory();
    if (!directory || directory->empty())
        return std::nullopt;
    std::string path = *directory;
    if (path.back() != '/')
        path += '/';
    return path + SignalCache::fileName;
}

} // namespace

SignalManager::SignalManager(std::shared_ptr<const AnalyticsConfiguration> configuration,
                             const SignalClientServices& services)
    : m_configuration(std::move(configuration))
    , m_runtime(services.runtime)
    , m_screenMetrics(services.screenMetrics)
    , m_applicationCenter(services.applicationCenter)
    , m_logger(m_configuration->logHandler, m_configuration->showDebugLogs)
    , m_environment(services.environment ? *services.environment : EnvironmentFacts::current(services.bundle))
    , m_userIdentifier(services.preferences) {
    if (m_configuration->sessionStatsEnabled) {
        m_sessionStatistics = std::make_unique<SessionStatistics>(services.preferences, m_environment.timeZone);
        m_sessionStatistics->sessionBegan(m_runtime.wallNow());
    }
    m_cache = std::make_unique<SignalCache>(services.fileSystem, cachePath(services.fileSystem), m_logger);
}

SignalManager::~SignalManager() {
    if (m_applicationCenter && m_terminateObserver)
        m_applicationCenter->removeObserver(*m_terminateObserver);
    std::lock_guard lock(m_timerMutex);
    if (m_timer)
        m_timer->invalidate();
}

void SignalManager::start() {
    std::weak_ptr<SignalManager> weak = weak_from_this();
    bool first = !m_hasStarted.exchange(true);
    if (first && m_applicationCenter)
        m_terminateObserver = m_applicationCenter->addObserver(applicationWillTerminateNotification, [weak] {
            if (auto self = weak.lock())
                self->appWillTerminate();
        });

    Runtime& runtime = m_runtime;
    auto attempt = [&runtime, weak] {
        runtime.globalAsync(QoS::Utility, [weak] {
            if (auto self = weak.lock())
                self->attemptToSendNextBatchOfCachedSignals();
        });
    };
    attempt();
    std::lock_guard lock(m_timerMutex);
    if (m_timer)
        m_timer->invalidate();
    m_timer = m_runtime.scheduleTimer(sendInterval, true, attempt);
}

bool SignalManager::isSendingEnabled() const {
    if (m_configuration->analyticsDisabled)
        return false;
    return !m_environment.isDebug || m_configuration->sendSignalsInDebugConfiguration;
}

bool SignalManager::isTestMode() const {
    return m_configuration->_testMode.value_or(m_environment.isDebug);
}

void SignalManager::processSignal(const std::string& signalType, const SignalParameters& parameters,
                                  std::optional<double> floatValue, const std::optional<std::string>& customUserID) {
    const AnalyticsConfiguration& config = *m_configuration;
    std::string type = config.defaultSignalPrefix.value_or("") + signalType;
    SignalParameters callerParameters;
    for (const auto& [key, value] : parameters)
        callerParameters.insert_or_assign(config.defaultParameterPrefix.value_or("") + key, value);
    if (config.reservedParameterWarningsEnabled)
        warnAboutReservedNames(type, callerParameters);
    build(type, callerParameters, floatValue, customUserID);
}

void SignalManager::processInternalSignal(const std::string& signalType) {
    build(signalType, {}, std::nullopt, std::nullopt);
}

void SignalManager::warnAboutReservedNames(const std::string& signalType, const SignalParameters& parameters) const {
    if (signalType.starts_with(reservedPrefix))
        m_logger.info("Sending signal with reserved prefix 'Analytics.' will cause unexpected behavior. Please use "
                      "another prefix instead.");
    else if (isReservedSignalName(signalType))
        m_logger.info("Sending signal with reserved name '" + signalType +
                      "' will cause unexpected behavior. Please use another name instead.");
    for (const auto& [key, value] : parameters) {
        if (key.starts_with(reservedPrefix))
            m_logger.info("Sending parameter with reserved key prefix 'Analytics.' will cause unexpected behavior. "
                          "Please use another prefix instead.");
        else if (isReservedParameterKey(key))
            m_logger.info("Sending parameter with reserved key '" + key +
                          "' will cause unexpected behavior. Please use another key instead.");
    }
}

void SignalManager::build(const std::string& signalType, const SignalParameters& parameters,
                          std::optional<double> floatValue, const std::optional<std::string>& customUserID) {
    const AnalyticsConfiguration& config = *m_configuration;
    WallTime now = toRecordTime(m_runtime.wallNow());

    std::string identifier;
    if (customUserID)
        identifier = *customUserID;
    else if (config.defaultUser)
        identifier = *config.defaultUser;
    else
        identifier = m_userIdentifier.defaultUserIdentifier();
    std::string clientUser = UserIdentifier::clientUser(identifier, config.salt);
    if (floatValue && !std::isfinite(*floatValue))
        floatValue.reset(); // JSON has no such numbers

    // Later sources win: the caller's own parameters come last.
    ScreenMetrics screen = m_screenMetrics ? m_screenMetrics->current() : ScreenMetrics{};
    SignalParameters payload = enrichmentParameters(m_environment, screen, now);
    if (m_sessionStatistics)
        payload.merge(m_sessionStatistics->parameters(now));
    auto mergeOver = [&payload](const SignalParameters& more) {
        for (const auto& [key, value] : more)
            payload.insert_or_assign(key, value);
    };
    if (config.defaultParameters)
        mergeOver(config.defaultParameters());
    for (const MetadataEnricher& enricher : config.metadataEnrichers)
        if (enricher)
            mergeOver(enricher(signalType, clientUser, floatValue));
    mergeOver(parameters);

    SignalPostBody body;
    body.receivedAt = now;
    body.appID = config.analyticsAppID;
    body.clientUser = std::move(clientUser);
    body.sessionID = config.sessionID.toString(QUuid::WithoutBraces).toUpper().toStdString();
    body.type = signalType;
    body.floatValue = floatValue;
    body.payload = std::move(payload);
    body.isTestMode = isTestMode();

    if (m_logger.isDebugEnabled())
        m_logger.debug("Process signal: " + QJsonDocument(body.toJson()).toJson(QJsonDocument::Compact).toStdString());
    m_cache->push(std::move(body));
}

std::optional<QUrl> SignalManager::signalURL() const {
    const QUrl& base = m_configuration->apiBaseURL;
    if (!base.isValid() || base.isRelative() || base.host().isEmpty())
        return std::nullopt;
    QByteArray path = "/v2/";
    if (const auto& space = m_configuration->namespace_; space && !space->empty()) {
        // One path segment, whatever the text holds; a dot segment would climb out of the namespace path.
        if (*space == "." || *space == "..")
            return std::nullopt;
        path = "/v2/namespace/" + QUrl::toPercentEncoding(QString::fromStdString(*space)) + "/";
    }
    QUrl url = base.resolved(QUrl::fromEncoded(path, QUrl::StrictMode));
    if (!url.isValid())
        return std::nullopt;
    return url;
}

void SignalManager::attemptToSendNextBatchOfCachedSignals() {
    if (m_isSending.exchange(true))
        return;
    struct SendingFlag {
        std::atomic<bool>& flag;
        ~SendingFlag() { flag = false; }
    } sending{m_isSending};

    SignalBatch batch = m_cache->pop();
    if (batch.empty())
        return;
    std::size_t remaining = m_cache->count();
    m_logger.info("Current signal cache count: " + std::to_string(remaining));
    m_logger.info("Sending " + std::to_string(batch.records.size()) + " signals leaving a cache of " +
                  std::to_string(remaining) + " signals");

    std::optional<QUrl> url = signalURL();
    if (!url) {
        m_logger.error("Unable to construct signal API URL for namespace");
        handleFailure(batch, AnalyticsError::invalidEndpointUrl().description());
        return;
    }
    const std::shared_ptr<HttpTransport>& transport = m_configuration->urlSession;
    if (!transport) {
        handleFailure(batch, "No HTTP session to send signals with");
        return;
    }

    HttpRequest request;
    request.method = "POST";
    request.url = url->toString(QUrl::FullyEncoded).toStdString();
    request.headers = {{"Content-Type", "application/json"}};
    request.body = encodeSignals(batch.records).toStdString();
    request.timeout = requestTimeout;

    HttpResponse response = transport->send(request);
    if (response.transportError) {
        handleFailure(batch, *response.transportError);
        return;
    }
    if (auto error = AnalyticsError::fromStatusCode(response.statusCode)) {
        handleFailure(batch, error->description());
        return;
    }
    m_cache->markDelivered(batch);
}

void SignalManager::handleFailure(const SignalBatch& batch, const std::string& reason) {
    m_logger.error("Failed to send signals: " + reason);
    m_cache->pushBack(batch);
}

void SignalManager::appWillTerminate() {
    m_logger.info("appWillTerminate()");
    if (m_sessionStatistics)
        m_sessionStatistics->sessionEnded(m_runtime.wallNow());
    m_cache->backupCache();
}

} // namespace tallowmere
