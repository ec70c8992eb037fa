#pragma once

#include "analytics/Analytics.h"
#include "analytics/AnalyticsConfiguration.h"
#include "analytics/SignalClientServices.h"
#include "analytics/SignalManager.h"

#include <memory>

namespace tallowmere {

// The analytics client as the application holds it: one per process, made by `initialize`.
class SignalClient : public SignalSender {
public:
    // Creates the signal manager and its cache (loading the cache file), sends a new-session signal when
    // configured to, and starts the send timer on the calling thread's run loop.
    static std::shared_ptr<SignalClient> initialize(AnalyticsConfiguration configuration,
                                                    const SignalClientServices& services);

    // Any thread; the records are built and cached on a utility queue, one after the other in the order of the
    // calls.
    void signal(const std::string& name, const std::map<std::string, std::string>& parameters,
                std::optional<double> floatValue, std::optional<std::string> customUserID) override;
    bool waitForSignals(Seconds timeout) override { return m_processing.waitUntilDone(timeout); }

    // Writes the cache to disk; also runs on the application's will-terminate notification.
    void appWillTerminate() { m_manager->appWillTerminate(); }

    const AnalyticsConfiguration& configuration() const { return *m_configuration; }
    SignalManager& signalManager() { return *m_manager; }

private:
    SignalClient(std::shared_ptr<const AnalyticsConfiguration> configuration, std::shared_ptr<SignalManager> manager,
                 Runtime& runtime);

    std::shared_ptr<const AnalyticsConfiguration> m_configuration;
    std::shared_ptr<SignalManager> m_manager;
    SerialQueue m_processing;
};

} // namespace tallowmere
