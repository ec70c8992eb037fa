#pragma once

#include "analytics/AnalyticsConfiguration.h"
#include "analytics/AnalyticsError.h"
#include "analytics/AnalyticsLogger.h"
#include "analytics/EnvironmentFacts.h"
#include "analytics/SessionStatistics.h"
#include "analytics/SignalCache.h"
#include "analytics/SignalClientServices.h"
#include "analytics/UserIdentifier.h"

#include <QUrl>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

namespace tallowmere {

// Builds signal records, keeps them in the signal cache and sends them in batches on a repeating timer.
class SignalManager : public std::enable_shared_from_this<SignalManager> {
public:
    static constexpr Seconds sendInterval{10.0};
    static constexpr Seconds requestTimeout{60.0};

    // Begins the session's statistics and loads the cache file; call `start` to begin sending.
    SignalManager(std::shared_ptr<const AnalyticsConfiguration> configuration, const SignalClientServices& services);
    ~SignalManager();
    SignalManager(const SignalManager&) = delete;
    SignalManager& operator=(const SignalManager&) = delete;

    // Watches for the application's termination, tries a batch at once and then every
    // `sendInterval` (a timer on the calling thread's run loop; the work runs on a utility queue). Calling it
    // again replaces the timer.
    void start();

    // False when the configuration switches the client off, or this is a debug build that should not send.
    bool isSendingEnabled() const;
    bool isTestMode() const;

    // Builds the record and caches it, on the calling thread.
    void processSignal(const std::string& signalType, const SignalParameters& parameters,
                       std::optional<double> floatValue, const std::optional<std::string>& customUserID);
    // A signal of the client itself: no prefix and no reserved-name warnings.
    void processInternalSignal(const std::string& signalType);

    // Pops a batch and sends it, blocking the calling (background) thread. A batch already on its way is
    // left alone: the next tick tries again.
    void attemptToSendNextBatchOfCachedSignals();

    // Logs "appWillTerminate()" and writes the cache to disk.
    void appWillTerminate();

    // The ingestion URL for this configuration; nothing when it can't be built.
    std::optional<QUrl> signalURL() const;

    SignalCache& cache() { return *m_cache; }
    const AnalyticsLogger& logger() const { return m_logger; }
    SessionStatistics* sessionStatistics() { return m_sessionStatistics.get(); }

private:
    void build(const std::string& signalType, const SignalParameters& parameters, std::optional<double> floatValue,
               const std::optional<std::string>& customUserID);
    void warnAboutReservedNames(const std::string& signalType, const SignalParameters& parameters) const;
    void handleFailure(const SignalBatch& batch, const std::string& reason);

    std::shared_ptr<const AnalyticsConfiguration> m_configuration;
    Runtime& m_runtime;
    std::shared_ptr<const ScreenMetricsProvider> m_screenMetrics;
    NotificationCenter* m_applicationCenter;
    std::optional<NotificationCenter::ObserverId> m_terminateObserver;
    AnalyticsLogger m_logger;
    EnvironmentFacts m_environment;
    UserIdentifier m_userIdentifier;
    std::unique_ptr<SessionStatistics> m_sessionStatistics;
    std::unique_ptr<SignalCache> m_cache;

    std::atomic<bool> m_hasStarted{false};
    std::atomic<bool> m_isSending{false};
    std::mutex m_timerMutex;
    std::unique_ptr<Timer> m_timer;
};

} // namespace tallowmere
